#pragma once

#include <QDockWidget>

#include <functional>
#include <optional>
#include <vector>

#include "conversion/ConversionLayer.h"
#include "views/NodeContentDisplay.h"
#include "views/ViewSession.h"

class QLabel;
class QTableView;

namespace quelvane {

class FieldListModel;

// The "Fields" panel below the window's lists: the file of the node on display (a physical or
// logical file, or a member's file) as its description says, a few lines of the file's facts
// and a list of its fields. It shows while such a node is on display and hides for any other,
// so the menus and the lists stay as they are; it can be moved or floated, not closed. Texts are
// read in the CCSIDs stored beside them, the rest in the window's code pages.
class FieldsPanel final : public QDockWidget {
    Q_OBJECT

  public:
    using Selection = std::function<std::optional<NodePosition>()>;

    FieldsPanel(QWidget* window, ViewSession& session, ConversionLayer& conversion, Selection selection);

    // Shows the file of the selected node, or hides when it is none.
    void follow();

    FieldListModel& model() { return *model_; }
    QString summaryText() const;

  private:
    // The file on display and its part, or nulls.
    std::pair<const SavedPart*, const SavedObject*> selectedFile() const;
    // A logical file with its record formats read from its member area; `why` says why not.
    std::optional<std::vector<SavedObject>> logicalFile(const SavedPart& part, const SavedObject& file,
                                                        QString& why) const;

    ViewSession& session_;
    ConversionLayer& conversion_;
    Selection selection_;
    FieldListModel* model_;
    QLabel* summary_;
    QTableView* table_;
};

}  // namespace quelvane
