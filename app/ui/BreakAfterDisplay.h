// A read-only multi-line display that wraps its text only after one chosen
// character (after a path separator for the folder display, after a comma for
// the box display), keeps explicit line breaks, and shows a vertical scroll
// bar exactly when the text takes more than one line.
#pragma once

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QStringList>

namespace plova::ui {

class BreakAfterDisplay final : public QPlainTextEdit {
    Q_OBJECT
public:
    BreakAfterDisplay(QChar breakAfter, QWidget* parent = nullptr);

    // The text as set, without the breaks the wrapping adds.
    void SetDisplayText(const QString& text);
    [[nodiscard]] QString DisplayText() const { return text_; }

    // Lines as currently shown.
    [[nodiscard]] int ShownLineCount() const { return static_cast<int>(lines_.size()); }
    [[nodiscard]] const QStringList& ShownLines() const { return lines_; }

    // `text` broken into lines no wider than `width`: a line ends after
    // `breakAfter` or at an explicit line break; a piece wider than a whole
    // line is cut between characters, so that nothing is hidden.
    static QStringList WrapLines(const QString& text, QChar breakAfter, const QFontMetrics& metrics, int width);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rewrap();
    void fitViewToOneLine();
    [[nodiscard]] int textWidth(bool withScrollBar) const;

    QChar breakAfter_;
    QString text_;
    QStringList lines_;
    bool rewrapping_ = false;
};

}  // namespace plova::ui
