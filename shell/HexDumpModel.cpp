#include "shell/HexDumpModel.h"

#include <QFontDatabase>

#include <algorithm>
#include <limits>

#include "shell/DisplayCharset.h"
#include "views/ObjectBytesPages.h"

namespace quelvane {

HexDumpModel::HexDumpModel(ObjectBytesPages& pages, int codePage, QObject* parent)
    : QAbstractListModel(parent),
      pages_(pages),
      decoder_(DisplayCharset::decoderFor(codePage)),
      font_(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {}

int HexDumpModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) {
        return 0;
    }
    return static_cast<int>(std::min<std::int64_t>(pages_.lineCount(), std::numeric_limits<int>::max()));
}

QVariant HexDumpModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return DisplayCharset::decode(decoder_, pages_.line(index.row()));
        case Qt::FontRole:
            return font_;
        default:
            return {};
    }
}

}  // namespace quelvane
