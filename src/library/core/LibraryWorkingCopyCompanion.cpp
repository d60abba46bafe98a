// The second database of an iPhoto or Aperture library, beside its catalogue.
#include "library/core/LibraryWorkingCopy.h"

#include "platform/core/FileCopy.h"
#include "platform/core/PhotosApplication.h"

#include <QFileInfo>

LibraryStepResult LibraryWorkingCopy::openCompanion(const QString &originalDatabasePath) {
    if (original_.isEmpty())
        return {false, QStringLiteral("No library is open.")};
    auto companion = std::make_unique<LibraryWorkingCopy>(&photos_);
    companion->holdsCatalogue_ = false;
    const LibraryStepResult opened = companion->open(originalDatabasePath);
    if (!opened.ok)
        return opened;
    // Half a library must not be written: what keeps one file from it keeps both.
    if (readOnlyReason_.isEmpty())
        readOnlyReason_ = companion->readOnlyReason_;
    companion_ = std::move(companion);
    return {true, {}};
}

QString LibraryWorkingCopy::companionWorkingPath() const {
    return companion_ ? companion_->currentPhotolibDatabasePath() : QString();
}

namespace {

// The companion's failure, naming its file, else what O's step gave.
LibraryStepResult withCompanion(const LibraryStepResult &done, LibraryStepResult companion,
                                const QString &file, const char *notDone) {
    if (companion.ok)
        return done;
    companion.reason =
        QStringLiteral("\"%1\" was not %2: %3")
            .arg(QFileInfo(file).fileName(), QLatin1String(notDone), companion.reason);
    return companion;
}

} // namespace

bool LibraryWorkingCopy::companionChanged() const {
    return companion_ && (databaseFileState(companion_->current_).walSize > 0 ||
                          !sameFileContents(companion_->current_, companion_->original_));
}

LibraryStepResult LibraryWorkingCopy::companionReady() const {
    if (!companionChanged())
        return {true, {}};
    const LibraryWorkingCopy &c = *companion_;
    const QString file = QFileInfo(c.original_).fileName();
    const QList<DatabaseHolder> held = photos_.holders(c.original_);
    QString why = c.readOnlyReason_;
    if (why.isEmpty() && !held.isEmpty())
        why = QStringLiteral("The library is in use by %1.").arg(describeHolders(held));
    if (why.isEmpty())
        why = c.originalChange();
    if (why.isEmpty() && databaseFileState(c.current_).walSize <= 0)
        why = checkDatabaseFile(c.current_);
    if (why.isEmpty())
        return {true, {}};
    return {false, QStringLiteral("\"%1\" cannot be written: %2").arg(file, why)};
}

LibraryStepResult LibraryWorkingCopy::copyBackCompanion(const LibraryStepResult &done) {
    // An action that left the companion alone must not rewrite it.
    if (!companionChanged())
        return done;
    return withCompanion(done, companion_->copyBack(), companion_->original_, "written");
}

LibraryStepResult LibraryWorkingCopy::restoreCompanion(const LibraryStepResult &done,
                                                       const QString &backup) {
    if (!companion_)
        return done;
    return withCompanion(done, companion_->restore(backup), companion_->original_, "restored");
}
