#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// The desktop's Trash (freedesktop.org: the home trash, or a volume's own .Trash-$uid),
// each file with its .trashinfo so the file manager can put it back. A file that cannot
// be trashed stays where it is: nothing here ever deletes a file outright.
class Trash {
  public:
    virtual ~Trash() = default;
    // Moves the file at `path` to the Trash; false with the cause when it stays.
    virtual bool moveToTrash(const QString &path, QString *why) = 0;
};

// Through GIO. Qt 6.4's QFile::moveToTrash is not used: it writes Path= unencoded and
// can make a trash folder in the working directory.
class GioTrash : public Trash {
  public:
    bool moveToTrash(const QString &path, QString *why) override;
};

// Tests see what was trashed; files named in `refuse` fail. Files are not moved.
class FakeTrash : public Trash {
  public:
    QStringList trashed;
    QSet<QString> refuse;
    bool moveToTrash(const QString &path, QString *why) override {
        if (refuse.contains(path)) {
            if (why)
                *why = QStringLiteral("the fake trash refuses it");
            return false;
        }
        trashed << path;
        return true;
    }
};

// Moves back the files that the Trash holds for `originalPaths` (for each the newest, when
// it holds several; its .trashinfo records where it came from) and drops their .trashinfo;
// never over an existing file. Those that stay are listed as "path: why".
struct TrashPutBack {
    QStringList returned, notReturned;
};
TrashPutBack putBackFromTrash(const QStringList &originalPaths);

// The one the program uses; tests may replace it (nullptr restores the GIO one).
Trash &trash();
void setTrash(Trash *replacement);
