#pragma once

#include <QAbstractListModel>
#include <QFont>
#include <QStringDecoder>

namespace quelvane {

class ObjectBytesPages;

// An object's hex dump as a Qt list, one line a row: a row's text is read from the object's
// data only when it is drawn, a page at a time.
class HexDumpModel final : public QAbstractListModel {
    Q_OBJECT

  public:
    // `codePage` is the PC code page the lines' text column is drawn with.
    HexDumpModel(ObjectBytesPages& pages, int codePage, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    ObjectBytesPages& pages_;
    mutable QStringDecoder decoder_;
    QFont font_;
};

}  // namespace quelvane
