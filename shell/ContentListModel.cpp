#include "shell/ContentListModel.h"

#include <algorithm>
#include <limits>

#include <QFontDatabase>

#include "shell/DisplayCharset.h"
#include "views/MemoryContentList.h"
#include "views/RecordRows.h"

namespace quelvane {

namespace {

int clampedRows(std::int64_t rows) {
    return static_cast<int>(std::min<std::int64_t>(rows, std::numeric_limits<int>::max()));
}

}  // namespace

ContentListModel::ContentListModel(const MemoryContentList& list, QList<QIcon> images, QObject* parent)
    : QAbstractTableModel(parent),
      list_(list),
      images_(std::move(images)),
      fixedPitchFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont)),
      decoder_(DisplayCharset::decoderFor(codePage_)) {
    rows_ = clampedRows(list_.rowCount());
    columns_ = list_.columnCount();
    generation_ = list_.generation();
    resetGeneration_ = list_.resetGeneration();
}

void ContentListModel::setListFont(const QFont& font) {
    fixedPitchFont_ = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (font.pixelSize() > 0) {
        fixedPitchFont_.setPixelSize(font.pixelSize());
    } else if (font.pointSizeF() > 0) {
        fixedPitchFont_.setPointSizeF(font.pointSizeF());
    }
    if (rows_ > 0 && columns_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::FontRole});
    }
}

void ContentListModel::setCodePage(int codePage) {
    if (codePage == codePage_) {
        return;
    }
    codePage_ = codePage;
    decoder_ = DisplayCharset::decoderFor(codePage);
    if (rows_ > 0 && columns_ > 0) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
    }
    if (columns_ > 0) {
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    }
}

void ContentListModel::showRecordRows(RecordRows* rows) {
    beginResetModel();
    records_ = rows;
    rows_ = rows != nullptr ? clampedRows(rows->rowCount()) : clampedRows(list_.rowCount());
    columns_ = list_.columnCount();
    generation_ = list_.generation();
    resetGeneration_ = list_.resetGeneration();
    endResetModel();
    emit columnsReplaced();
}

void ContentListModel::recordRowsAppended() {
    if (records_ == nullptr) {
        return;
    }
    const int rows = clampedRows(records_->rowCount());
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    }
}

void ContentListModel::refresh() {
    if (records_ != nullptr) {
        if (list_.resetGeneration() == resetGeneration_) {
            return;
        }
        records_ = nullptr;
        emit recordRowsDropped();
    }
    const int rows = clampedRows(list_.rowCount());
    const int columns = list_.columnCount();
    if (list_.generation() == generation_ && rows == rows_ && columns == columns_) {
        return;
    }
    const bool appendOnly =
        list_.resetGeneration() == resetGeneration_ && columns == columns_ && rows >= rows_;
    if (appendOnly && rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (!appendOnly) {
        beginResetModel();
        rows_ = rows;
        columns_ = columns;
        endResetModel();
        emit columnsReplaced();
    }
    // Cells appended to rows already shown, or a changed caption or image.
    if (rows_ > 0 && columns_ > 0 && appendOnly) {
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
        emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
    }
    generation_ = list_.generation();
    resetGeneration_ = list_.resetGeneration();
}

int ContentListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ContentListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QString ContentListModel::text(int row, int column) const {
    // The core may be refilling the list under a message box's event loop: rows or columns
    // this model still counts may be gone.
    if (records_ != nullptr) {
        if (column >= list_.columnCount()) {
            return {};
        }
        if (column == 0) {
            return QString::number(row);
        }
        const std::string_view cell = records_->cellText(row, column - 1);
        // Decoded by stored CCSID, cells are Unicode already: no PC page stands between.
        return records_->utf8Cells() ? QString::fromUtf8(cell.data(), static_cast<qsizetype>(cell.size()))
                                     : DisplayCharset::decode(decoder_, cell);
    }
    if (row >= list_.rowCount() || column >= list_.columnCount()) {
        return {};
    }
    const auto bytes = column == 0 ? list_.rowCaption(row) : list_.cellText(row, column - 1);
    return utf8Texts_ ? QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()))
                      : DisplayCharset::decode(decoder_, bytes);
}

QVariant ContentListModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const int row = index.row();
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return text(row, column);
        case Qt::DecorationRole: {
            if (column != 0 || (records_ == nullptr && row >= list_.rowCount())) {
                return {};
            }
            const int image = records_ != nullptr ? records_->rowImage(row) : list_.rowImage(row);
            if (image >= 0 && image < images_.size()) {
                return images_[image];
            }
            return {};
        }
        case Qt::FontRole:
            if (column < list_.columnCount() && list_.column(column).pitch == ContentList::Pitch::Fixed) {
                return fixedPitchFont_;
            }
            return {};
        case Qt::TextAlignmentRole: {
            if (column >= list_.columnCount()) {
                return {};
            }
            const auto horizontal = list_.column(column).alignment == ContentList::Alignment::Right
                                        ? Qt::AlignRight
                                        : Qt::AlignLeft;
            return QVariant::fromValue(Qt::Alignment(horizontal | Qt::AlignVCenter));
        }
        default:
            return {};
    }
}

QVariant ContentListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_ ||
        section >= list_.columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return DisplayCharset::decode(decoder_, list_.column(section).caption);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            Qt::Alignment((list_.column(section).alignment == ContentList::Alignment::Right ? Qt::AlignRight
                                                                                            : Qt::AlignLeft) |
                          Qt::AlignVCenter));
    }
    return {};
}

int ContentListModel::columnWidth(int column) const {
    return column < list_.columnCount() ? list_.column(column).width : 0;
}

bool ContentListModel::sizedToHeader(int column) const {
    return column < list_.columnCount() && list_.column(column).sizing == ContentList::Sizing::Header;
}

QStringList ContentListModel::rowTexts(int row) const {
    QStringList texts;
    for (int column = 0; column < columns_; ++column) {
        texts << text(row, column);
    }
    return texts;
}

}  // namespace quelvane
