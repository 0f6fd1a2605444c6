// The command bar at the top of the main window: the eighteen command
// buttons 1001..1018, the folder display (1024) and the box display (1023).
// Buttons 1005..1007 keep to the right edge; the displays stretch to it.
#pragma once

#include <QWidget>
#include <map>

class QPushButton;

namespace plova::ui {

class BreakAfterDisplay;

namespace bar {
constexpr int kEdge = 5;  // distance to the client area's left and right edges
constexpr int kRightButtonWidth = 100;
constexpr int kRightButtonStep = 103;  // 1007 at W-105, 1006 at W-208, 1005 at W-311
constexpr int kGap = 3;                // between neighbouring buttons
constexpr int kGroupGap = 12;          // between groups of buttons
constexpr int kRowGap = 4;
constexpr int kMinButtonWidth = 80;
constexpr int kCaptionRoom = 4;  // beyond what the style asks, so captions do not touch the edges
}  // namespace bar

class CommandBar final : public QWidget {
    Q_OBJECT
public:
    explicit CommandBar(QWidget* parent = nullptr);

    [[nodiscard]] QPushButton* Button(int id) const;
    [[nodiscard]] const std::map<int, QPushButton*>& Buttons() const { return buttons_; }
    [[nodiscard]] BreakAfterDisplay* FolderDisplay() const { return folderDisplay_; }
    [[nodiscard]] BreakAfterDisplay* BoxDisplay() const { return boxDisplay_; }

    // The narrowest width at which nothing overlaps or is cut.
    [[nodiscard]] int MinimumLayoutWidth() const;

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

signals:
    void CommandTriggered(int id);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void layOut();
    [[nodiscard]] int buttonHeight() const;
    [[nodiscard]] int displayHeight() const;
    [[nodiscard]] int buttonWidth(int id) const;

    std::map<int, QPushButton*> buttons_;
    BreakAfterDisplay* folderDisplay_ = nullptr;
    BreakAfterDisplay* boxDisplay_ = nullptr;
};

}  // namespace plova::ui
