#include "shell/CatalogTreeModel.h"

#include "shell/DisplayCharset.h"

namespace quelvane {

namespace {

constexpr int kDefaultCodePage = 1252;

// A node's places in the tree's image list (ShellImages::tree), normal and selected. A member has
// the library's closed book in both states; an IFS tree draws its root, directories and files as
// a library tree draws its library, parts and objects.
struct NodeImages {
    int normal;
    int selected;
};

NodeImages imagesFor(TreeNodeKind kind) {
    switch (kind) {
        case TreeNodeKind::Library:
        case TreeNodeKind::IfsRoot:
            return {0, 1};
        case TreeNodeKind::Part:
        case TreeNodeKind::IfsDirectory:
            return {2, 3};
        case TreeNodeKind::Object:
        case TreeNodeKind::IfsFile:
            return {4, 5};
        case TreeNodeKind::Member:
            return {0, 0};
    }
    return {0, 0};
}

}  // namespace

// An index's internal pointer is its parent node (null for a root), so a node needs no parent
// link of its own.
CatalogTreeModel::CatalogTreeModel(QList<QIcon> images, QObject* parent)
    : QAbstractItemModel(parent),
      images_(std::move(images)),
      decoder_(DisplayCharset::decoderFor(kDefaultCodePage)) {}

void CatalogTreeModel::setTree(CatalogTree tree) {
    beginResetModel();
    tree_ = std::move(tree);
    places_.clear();
    placeChildren(nullptr);
    endResetModel();
}

namespace {

bool sameNodes(const std::vector<CatalogTreeNode>& a, const std::vector<CatalogTreeNode>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].kind != b[i].kind || a[i].ifsPath != b[i].ifsPath ||
            !sameNodes(a[i].children, b[i].children)) {
            return false;
        }
    }
    return true;
}

void takeTexts(std::vector<CatalogTreeNode>& to, std::vector<CatalogTreeNode>& from) {
    for (std::size_t i = 0; i < to.size(); ++i) {
        to[i].caption = std::move(from[i].caption);
        to[i].details = std::move(from[i].details);
        to[i].text = std::move(from[i].text);
        takeTexts(to[i].children, from[i].children);
    }
}

}  // namespace

bool CatalogTreeModel::retextTree(CatalogTree tree) {
    if (tree.complete != tree_.complete || !sameNodes(tree.roots, tree_.roots)) {
        return false;
    }
    takeTexts(tree_.roots, tree.roots);
    tree_.utf8 = tree.utf8;
    announceChanged({});
    return true;
}

void CatalogTreeModel::announceChanged(const QModelIndex& parent) {
    const int rows = rowCount(parent);
    if (rows == 0) {
        return;
    }
    emit dataChanged(index(0, 0, parent), index(rows - 1, 0, parent), {Qt::DisplayRole, Qt::ToolTipRole});
    for (int row = 0; row < rows; ++row) {
        announceChanged(index(row, 0, parent));
    }
}

QString CatalogTreeModel::shown(const std::string& text) const {
    return tree_.utf8 ? QString::fromStdString(text) : DisplayCharset::decode(decoder_, text);
}

void CatalogTreeModel::placeChildren(const CatalogTreeNode* node) {
    const auto& children = childrenOf(node);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const CatalogTreeNode* child = &children[i];
        if (!child->children.empty()) {
            places_.insert(child, Place{node, static_cast<int>(i)});
            placeChildren(child);
        }
    }
}

void CatalogTreeModel::setCodePage(int codePage) {
    decoder_ = DisplayCharset::decoderFor(codePage);
    if (!tree_.roots.empty()) {
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }
}

const std::vector<CatalogTreeNode>& CatalogTreeModel::childrenOf(const CatalogTreeNode* node) const {
    return node == nullptr ? tree_.roots : node->children;
}

const CatalogTreeNode* CatalogTreeModel::nodeAt(const QModelIndex& index) const {
    if (!index.isValid()) {
        return nullptr;
    }
    const auto& siblings = childrenOf(static_cast<const CatalogTreeNode*>(index.internalPointer()));
    return &siblings[static_cast<std::size_t>(index.row())];
}

std::string CatalogTreeModel::ifsPathOf(const QModelIndex& index) const {
    const CatalogTreeNode* node = checkIndex(index, CheckIndexOption::IndexIsValid) ? nodeAt(index) : nullptr;
    return node == nullptr ? std::string() : node->ifsPath;
}

QModelIndex CatalogTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) {
        return {};
    }
    const CatalogTreeNode* node = nodeAt(parent);
    if (static_cast<std::size_t>(row) >= childrenOf(node).size()) {
        return {};
    }
    return createIndex(row, column, node);
}

QModelIndex CatalogTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid()) {
        return {};
    }
    const auto* parentNode = static_cast<const CatalogTreeNode*>(child.internalPointer());
    if (parentNode == nullptr) {
        return {};
    }
    const Place place = places_.value(parentNode);
    return createIndex(place.row, 0, place.parent);
}

int CatalogTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() && parent.column() != 0) {
        return 0;
    }
    return static_cast<int>(childrenOf(nodeAt(parent)).size());
}

int CatalogTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QIcon CatalogTreeModel::iconFor(TreeNodeKind kind) const {
    const auto [image, selectedImage] = imagesFor(kind);
    const auto key = qMakePair(image, selectedImage);
    if (auto found = icons_.constFind(key); found != icons_.constEnd()) {
        return *found;
    }
    QIcon icon;
    const auto add = [&](int at, QIcon::Mode mode) {
        if (at >= 0 && at < images_.size()) {
            for (const QSize& size : {QSize(16, 16), QSize(32, 32)}) {
                icon.addPixmap(images_[at].pixmap(size), mode);
            }
        }
    };
    add(image, QIcon::Normal);
    add(selectedImage, QIcon::Selected);
    icons_.insert(key, icon);
    return icon;
}

QVariant CatalogTreeModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) {
        return {};
    }
    const CatalogTreeNode* node = nodeAt(index);
    switch (role) {
        case Qt::DisplayRole:
            return shown(node->caption);
        case Qt::DecorationRole:
            return iconFor(node->kind);
        case Qt::ToolTipRole: {
            // Read by stored CCSID, an object's or member's text leads its details.
            const std::string& text = tree_.utf8 ? node->text : std::string();
            const std::string tip =
                text.empty() || node->details.empty() ? text + node->details : text + "\n" + node->details;
            return tip.empty() ? QVariant() : QVariant(shown(tip));
        }
        default:
            return {};
    }
}

}  // namespace quelvane
