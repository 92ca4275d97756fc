#include "shell/InfoBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "views/SaveWarnings.h"

namespace quelvane {

namespace {

// A pale amber, the colour desktop information bars warn in.
constexpr const char* kStyle = "QFrame#InfoBar { background: #fff4ce; border-bottom: 1px solid #d8c58a; }";
constexpr int kMargin = 6;

}  // namespace

InfoBar::InfoBar(QWidget* parent, std::function<void()> showOptions)
    : QFrame(parent), text_(new QLabel(this)), options_(new QPushButton(QStringLiteral("Options..."), this)) {
    setObjectName(QStringLiteral("InfoBar"));
    setStyleSheet(QString::fromLatin1(kStyle));
    text_->setObjectName(QStringLiteral("InfoText"));
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setTextFormat(Qt::PlainText);
    options_->setObjectName(QStringLiteral("InfoOptions"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(kMargin, kMargin / 2, kMargin, kMargin / 2);
    row->addWidget(text_, 1);
    row->addWidget(options_, 0, Qt::AlignTop);
    connect(options_, &QPushButton::clicked, this, [showOptions = std::move(showOptions)] {
        if (showOptions) {
            showOptions();
        }
    });
    hide();
}

void InfoBar::setLines(const QStringList& lines, bool offerOptions) {
    lines_ = lines;
    text_->setText(lines.join(QLatin1Char('\n')));
    options_->setVisible(offerOptions);
    setVisible(!lines.isEmpty());
}

void InfoBar::follow(const OpenedSave& save, bool byStoredCcsid, std::int32_t hostPage) {
    const SaveWarnings::Found found =
        SaveWarnings::of(save.catalog(), save.report(), byStoredCcsid, hostPage);
    QStringList lines;
    for (const std::string& line : found.lines) {
        lines << QString::fromStdString(line);
    }
    setLines(lines, found.pairReadsOtherwise);
}

QWidget* InfoBar::over(QWidget* content) {
    auto* panel = new QWidget(parentWidget());
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(this);
    column->addWidget(content, 1);
    return panel;
}

}  // namespace quelvane
