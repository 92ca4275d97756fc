#pragma once

#include <QDialog>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>

#include "savefile/Catalog.h"
#include "savefile/CatalogTexts.h"

class QLabel;
class QLineEdit;
class QPrinter;
class QSortFilterProxyModel;
class QTreeView;

namespace quelvane {

class ObjectListModel;
class UserDialogs;

// Tools > Object list...: every object of the open save in one list, as DSPSAVF shows it, under
// the save's details. The list sorts by any column (sizes and dates by value), keeps the names
// a pattern matches (a prefix, or a whole name with * standing for any characters, in either
// case), and saves or prints what it shows as aligned text. It lists the save on display.
class ObjectListDialog final : public QDialog {
    Q_OBJECT

  public:
    // Asks for the file "Save as text..." writes; empty when the user cancels.
    using SavePathChooser = std::function<QString(QWidget* parent)>;
    // The texts as the window reads them now: by stored CCSID or by the pair.
    using TextsSource = std::function<std::unique_ptr<CatalogTexts>()>;

    ObjectListDialog(QWidget* parent, const Catalog& catalog, std::function<std::int32_t()> pcCodePage,
                     UserDialogs& dialogs);

    // The command: reads the list out of the catalog and shows the dialog.
    void showList();
    // A save newly opened is listed at once when the dialog is open.
    void followOpenedSave();

    // The shown rows, in their shown order, as the text the file and the printout hold.
    QStringList shownLines() const;
    // Writes the shown lines to `path` as UTF-8; false after a message when it cannot.
    bool saveText(const QString& path);
    void print(QPrinter& printer);

    void setSavePathChooser(SavePathChooser chooser) { choosePath_ = std::move(chooser); }
    void setTextsSource(TextsSource texts) { texts_ = std::move(texts); }

    ObjectListModel& model() { return *model_; }
    QSortFilterProxyModel& shown() { return *proxy_; }
    QTreeView& view() { return *view_; }
    QLineEdit& filter() { return *filter_; }
    QLabel& header() { return *header_; }

    // The filter's pattern: "" keeps every name, "AB" the names starting with AB, "*AB" those
    // ending in it; case does not matter.
    static QString namePattern(const QString& typed);

  private:
    void saveAsText();
    void printList();
    void followFilter(const QString& typed);

    const Catalog& catalog_;
    std::function<std::int32_t()> pcCodePage_;
    UserDialogs& dialogs_;
    SavePathChooser choosePath_;
    TextsSource texts_;
    std::vector<std::string> headerLines_;
    ObjectListModel* model_;
    QSortFilterProxyModel* proxy_;
    QLabel* header_;
    QLineEdit* filter_;
    QLabel* count_;
    QTreeView* view_;
};

}  // namespace quelvane
