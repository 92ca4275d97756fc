#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>

#include "export/pickbatch/BatchExportDialog.h"
#include "shell/AboutDialog.h"
#include "shell/FtpDialog.h"
#include "shell/OptionsDialog.h"
#include "tests/shell/ShellFixture.h"

namespace quelvane::test {
namespace {

bool showsText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return !label->wordWrap() && !label->text().isEmpty() && label->pixmap().isNull();
    }
    return qobject_cast<const QCheckBox*>(widget) != nullptr ||
           qobject_cast<const QRadioButton*>(widget) != nullptr;
}

std::string nameOf(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text().toStdString();
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text().toStdString();
    }
    return widget->objectName().toStdString();
}

// Every label, check box and radio button of `dialog` is wide and tall enough for its text, lies
// inside its parent and covers no sibling: the fixed pixel places were made for another font.
void expectWholeTexts(QWidget* dialog) {
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (!showsText(widget) || !widget->isVisible()) {
            continue;
        }
        SCOPED_TRACE(nameOf(widget));
        EXPECT_GE(widget->width(), widget->sizeHint().width());
        EXPECT_GE(widget->height(), widget->minimumSizeHint().height());
        QWidget* parent = widget->parentWidget();
        EXPECT_TRUE(parent->rect().contains(widget->geometry())) << parent->objectName().toStdString();
        for (QObject* other : parent->children()) {
            auto* sibling = qobject_cast<QWidget*>(other);
            // A check box drawn over a group box's frame lies inside it by design.
            if (sibling == nullptr || sibling == widget || !sibling->isVisible() || sibling->isWindow() ||
                sibling->geometry().contains(widget->geometry())) {
                continue;
            }
            EXPECT_FALSE(widget->geometry().intersects(sibling->geometry())) << "covers " << nameOf(sibling);
        }
    }
}

class WholeTextDialogsTest : public ShellFixture {};

TEST_F(WholeTextDialogsTest, EveryDialogShowsItsTextsWhole) {
    start();
    BatchExportDialog batch;
    QWidget* dialogs[] = {&batch, about_.get(), options_.get(), ftp_.get()};
    for (QWidget* dialog : dialogs) {
        SCOPED_TRACE(dialog->objectName().toStdString());
        dialog->show();
        expectWholeTexts(dialog);
        if (auto* pages = dialog->findChild<QStackedWidget*>()) {
            for (int page = 1; page < pages->count(); ++page) {
                pages->setCurrentIndex(page);
                expectWholeTexts(dialog);
            }
        }
        dialog->hide();
    }
}

}  // namespace
}  // namespace quelvane::test
