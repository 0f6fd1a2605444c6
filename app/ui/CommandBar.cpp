#include "app/ui/CommandBar.h"

#include <QEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "app/CommandTable.h"
#include "app/ui/BreakAfterDisplay.h"
#include "platform/ui/DialogLayout.h"

namespace plova::ui {
namespace {

// The rows of the bar, left to right; 0 stands for a wider gap between groups.
const std::vector<int> kDownloadRow = {cmd::kFolderDownload, cmd::kDownloadAll, cmd::kDownloadSelected,
                                       cmd::kDownloadVoiceData};
const std::vector<int> kRightButtons = {cmd::kVersion, cmd::kWindowMenu, cmd::kSettingsMenu};  // from the right
const std::vector<int> kListRow = {cmd::kSelectDisplay,
                                   cmd::kShowAll,
                                   cmd::kShowUndownloaded,
                                   0,
                                   cmd::kConvert,
                                   cmd::kPlay,
                                   cmd::kErase,
                                   cmd::kMoveCopy,
                                   0,
                                   cmd::kUpload,
                                   cmd::kAdd};

}  // namespace

CommandBar::CommandBar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("commandBar"));
    for (const CommandCaption& c : kButtonCaptions) {
        auto* b = new QPushButton(Qs(c.caption), this);
        b->setObjectName(QStringLiteral("button%1").arg(c.id));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        connect(b, &QPushButton::clicked, this, [this, id = c.id] { emit CommandTriggered(id); });
        buttons_[c.id] = b;
    }
    // The download of all boxes waits for a login and a box folder.
    buttons_[cmd::kDownloadAll]->setEnabled(false);

    const QChar separator = QChar(static_cast<char16_t>(std::filesystem::path::preferred_separator));
    folderDisplay_ = new BreakAfterDisplay(separator, this);
    folderDisplay_->setObjectName(QStringLiteral("display%1").arg(cmd::kFolderDisplay));
    boxDisplay_ = new BreakAfterDisplay(QLatin1Char(','), this);
    boxDisplay_->setObjectName(QStringLiteral("display%1").arg(cmd::kBoxDisplay));

    // The tab order follows the rows.
    QWidget* previous = nullptr;
    auto chain = [&](QWidget* w) {
        if (previous) setTabOrder(previous, w);
        previous = w;
    };
    for (int id : kDownloadRow) chain(buttons_[id]);
    for (auto it = kRightButtons.rbegin(); it != kRightButtons.rend(); ++it) chain(buttons_[*it]);
    chain(buttons_[cmd::kFolderChange]);
    chain(folderDisplay_);
    chain(buttons_[cmd::kOpenBoxes]);
    chain(boxDisplay_);
    for (int id : kListRow)
        if (id) chain(buttons_[id]);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    layOut();
}

QPushButton* CommandBar::Button(int id) const {
    const auto it = buttons_.find(id);
    return it != buttons_.end() ? it->second : nullptr;
}

int CommandBar::buttonHeight() const {
    return std::max(24, fontMetrics().height() + 10);
}

int CommandBar::displayHeight() const {
    return buttonHeight();
}

int CommandBar::buttonWidth(int id) const {
    auto hint = [this](int button) {
        QPushButton* b = buttons_.at(button);
        QStyleOptionButton option;
        option.initFrom(b);
        option.text = b->text();
        const QSize text(b->fontMetrics().horizontalAdvance(b->text()), b->fontMetrics().height());
        return std::max(bar::kMinButtonWidth,
                        style()->sizeFromContents(QStyle::CT_PushButton, &option, text, b).width() + bar::kCaptionRoom);
    };
    // The four downloads share the width of the widest caption; the list
    // row is too full for that at the minimum width, so each of its buttons
    // is as wide as its own caption needs.
    if (std::find(kDownloadRow.begin(), kDownloadRow.end(), id) != kDownloadRow.end()) {
        int width = 0;
        for (int other : kDownloadRow) width = std::max(width, hint(other));
        return width;
    }
    if (std::find(kListRow.begin(), kListRow.end(), id) != kListRow.end()) return hint(id);
    return bar::kRightButtonWidth;
}

int CommandBar::MinimumLayoutWidth() const {
    const int download = static_cast<int>(kDownloadRow.size()) * (buttonWidth(kDownloadRow[0]) + bar::kGap) - bar::kGap;
    const int top = bar::kEdge + download + bar::kGroupGap + 3 * bar::kRightButtonStep + 2;
    int list = bar::kEdge * 2;
    bool first = true;
    for (int id : kListRow) {
        if (!id) {
            list += bar::kGroupGap - bar::kGap;
            continue;
        }
        list += buttonWidth(id) + (first ? 0 : bar::kGap);
        first = false;
    }
    return std::max(top, list);
}

QSize CommandBar::sizeHint() const {
    const int height = 2 * bar::kEdge + 2 * buttonHeight() + 2 * displayHeight() + 3 * bar::kRowGap;
    return {MinimumLayoutWidth(), height};
}

QSize CommandBar::minimumSizeHint() const {
    return sizeHint();
}

void CommandBar::layOut() {
    const int w = width();
    const int bh = buttonHeight();
    const int dh = displayHeight();
    int y = bar::kEdge;

    // Row 1: the downloads on the left, settings, window and version at the right edge.
    int x = bar::kEdge;
    for (int id : kDownloadRow) {
        const int bw = buttonWidth(id);
        buttons_[id]->setGeometry(x, y, bw, bh);
        x += bw + bar::kGap;
    }
    for (std::size_t i = 0; i < kRightButtons.size(); ++i) {
        const int right = w - bar::kEdge - static_cast<int>(i) * bar::kRightButtonStep;
        buttons_[kRightButtons[i]]->setGeometry(right - bar::kRightButtonWidth, y, bar::kRightButtonWidth, bh);
    }
    y += bh + bar::kRowGap;

    // Rows 2 and 3: folder and box, each display reaching to the right edge.
    const int labelWidth = bar::kRightButtonWidth;
    const int displayLeft = bar::kEdge + labelWidth + bar::kGap;
    const int displayWidth = std::max(1, w - bar::kEdge - displayLeft);
    buttons_[cmd::kFolderChange]->setGeometry(bar::kEdge, y, labelWidth, bh);
    folderDisplay_->setGeometry(displayLeft, y, displayWidth, dh);
    y += std::max(bh, dh) + bar::kRowGap;
    buttons_[cmd::kOpenBoxes]->setGeometry(bar::kEdge, y, labelWidth, bh);
    boxDisplay_->setGeometry(displayLeft, y, displayWidth, dh);
    y += std::max(bh, dh) + bar::kRowGap;

    // Row 4: what acts on the active list.
    x = bar::kEdge;
    for (int id : kListRow) {
        if (!id) {
            x += bar::kGroupGap - bar::kGap;
            continue;
        }
        const int bw = buttonWidth(id);
        buttons_[id]->setGeometry(x, y, bw, bh);
        x += bw + bar::kGap;
    }
}

void CommandBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOut();
}

void CommandBar::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        updateGeometry();
        layOut();
    }
}

}  // namespace plova::ui
