#pragma once

#include <QAbstractTableModel>
#include <QFont>
#include <QIcon>
#include <QList>
#include <QStringDecoder>

#include <cstdint>

namespace quelvane {

class MemoryContentList;
class RecordRows;

// The content list as a Qt table over the core's in-memory list: texts are decoded only when a
// row is drawn, so a member of a million records costs no widget items. The core fills the list
// inside a user event; refresh() then tells the views what changed.
class ContentListModel final : public QAbstractTableModel {
    Q_OBJECT

  public:
    // `images` is the list's small image list, indexed by a row's image number.
    ContentListModel(const MemoryContentList& list, QList<QIcon> images, QObject* parent = nullptr);

    // The code page the list's 8-bit texts are drawn with.
    void setCodePage(int codePage);
    int codePage() const { return codePage_; }

    // Whether the list's own rows (not record rows shown) are UTF-8, read by stored CCSID and
    // drawn without the code page.
    void setUtf8Texts(bool utf8) { utf8Texts_ = utf8; }

    // The font the list is drawn with; columns of fixed pitch are drawn in the desktop's
    // fixed-pitch font at its size.
    void setListFont(const QFont& font);

    // Takes over what the core changed since the last call: a reset when columns or rows were
    // cleared, appended rows otherwise.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The width the core gave a column, and whether it follows its contents instead.
    int columnWidth(int column) const;
    bool sizedToHeader(int column) const;

    // The row's texts as shown, caption first (for tests and copying).
    QStringList rowTexts(int row) const;

    // Shows `rows` (a member listed in the background) under the list's columns until the core
    // next clears the list; nullptr returns to the list's own rows.
    void showRecordRows(RecordRows* rows);
    // Takes over the rows appended to the record rows shown.
    void recordRowsAppended();
    bool showsRecordRows() const { return records_ != nullptr; }

  signals:
    // Columns were replaced: the view applies their widths again.
    void columnsReplaced();
    // The core cleared the list: the record rows are no longer shown.
    void recordRowsDropped();

  private:
    QString text(int row, int column) const;

    const MemoryContentList& list_;
    QList<QIcon> images_;
    int codePage_ = 1252;
    bool utf8Texts_ = false;
    QFont fixedPitchFont_;
    mutable QStringDecoder decoder_;
    int rows_ = 0;
    int columns_ = 0;
    std::uint64_t generation_ = 0;
    std::uint64_t resetGeneration_ = 0;
    RecordRows* records_ = nullptr;
};

}  // namespace quelvane
