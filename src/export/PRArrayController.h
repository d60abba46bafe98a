#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <memory>

// The content list behind a table (an array controller): one row per object. The table's
// cells are widgets the application object makes per row, so the model carries no data
// of its own beyond the column titles.
class PRArrayController : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PRArrayController(const QStringList &columns, QObject *parent = nullptr)
        : QAbstractTableModel(parent), columns(columns) {}

    template <class T> void setContent(const QList<std::shared_ptr<T>> &objects) {
        beginResetModel();
        content.clear();
        for (const auto &o : objects)
            content << std::static_pointer_cast<void>(o);
        endResetModel();
    }
    template <class T> void addObjects(const QList<std::shared_ptr<T>> &objects) {
        if (objects.isEmpty())
            return;
        beginInsertRows({}, int(content.size()), int(content.size() + objects.size() - 1));
        for (const auto &o : objects)
            content << std::static_pointer_cast<void>(o);
        endInsertRows();
    }
    void removeAllObjects() {
        beginResetModel();
        content.clear();
        endResetModel();
    }
    template <class T> std::shared_ptr<T> objectAt(int row) const {
        return row >= 0 && row < content.size() ? std::static_pointer_cast<T>(content.at(row))
                                                : nullptr;
    }
    template <class T> QList<std::shared_ptr<T>> arrangedObjects() const {
        QList<std::shared_ptr<T>> out;
        out.reserve(content.size());
        for (const auto &o : content)
            out << std::static_pointer_cast<T>(o);
        return out;
    }
    int count() const { return int(content.size()); }
    QString columnIdentifier(int column) const { return columns.value(column); }

    int rowCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }
    int columnCount(const QModelIndex &parent = {}) const override {
        return parent.isValid() ? 0 : int(columns.size());
    }
    QVariant data(const QModelIndex &, int) const override { return {}; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return columns.value(section);
        return {};
    }

    // The files a dragged row carries, as file URLs; unset, rows are not dragged.
    std::function<QStringList(int row)> dragFiles;
    Qt::ItemFlags flags(const QModelIndex &index) const override {
        Qt::ItemFlags f = QAbstractTableModel::flags(index);
        return dragFiles && index.isValid() ? f | Qt::ItemIsDragEnabled : f;
    }
    QStringList mimeTypes() const override { return {QStringLiteral("text/uri-list")}; }
    QMimeData *mimeData(const QModelIndexList &indexes) const override {
        QList<int> rows;
        for (const QModelIndex &i : indexes)
            if (i.isValid() && !rows.contains(i.row()))
                rows << i.row();
        std::sort(rows.begin(), rows.end());
        QList<QUrl> urls;
        for (int row : rows)
            for (const QString &path : dragFiles ? dragFiles(row) : QStringList())
                if (!path.isEmpty())
                    urls << QUrl::fromLocalFile(path);
        if (urls.isEmpty())
            return nullptr;
        auto *data = new QMimeData;
        data->setUrls(urls);
        return data;
    }

  private:
    QStringList columns;
    QList<std::shared_ptr<void>> content;
};
