#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QStringDecoder>

#include "savefile/CatalogTree.h"

namespace quelvane {

// The catalog tree as a Qt model over the core's plain tree. A node's row is its position under
// its parent, which is the index of its catalog record.
class CatalogTreeModel final : public QAbstractItemModel {
    Q_OBJECT

  public:
    // `images` is the tree's image list, indexed by the nodes' image numbers.
    explicit CatalogTreeModel(QList<QIcon> images, QObject* parent = nullptr);

    void setTree(CatalogTree tree);
    // Takes the captions, details and texts of `tree`, a tree of the same nodes built again (in
    // another decoding), keeping the nodes, their selection and expansion; false, and nothing
    // taken, when its nodes differ.
    bool retextTree(CatalogTree tree);
    const CatalogTree& tree() const { return tree_; }

    // The IFS path of a node of an integrated-file-system save's tree; empty otherwise.
    std::string ifsPathOf(const QModelIndex& index) const;

    // The code page the captions' 8-bit text is drawn with.
    void setCodePage(int codePage);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  private:
    struct Place {
        const CatalogTreeNode* parent;
        int row;
    };

    const std::vector<CatalogTreeNode>& childrenOf(const CatalogTreeNode* node) const;
    const CatalogTreeNode* nodeAt(const QModelIndex& index) const;
    void placeChildren(const CatalogTreeNode* node);
    QString shown(const std::string& text) const;
    void announceChanged(const QModelIndex& parent);
    QIcon iconFor(TreeNodeKind kind) const;

    CatalogTree tree_;
    // Where each node that has children sits, so an index can name its parent.
    QHash<const CatalogTreeNode*, Place> places_;
    QList<QIcon> images_;
    mutable QHash<QPair<int, int>, QIcon> icons_;
    mutable QStringDecoder decoder_;
};

}  // namespace quelvane
