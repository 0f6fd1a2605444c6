#include "app/ui/BreakAfterDisplay.h"

#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextDocument>
#include <cmath>

namespace plova::ui {
namespace {

constexpr int kTextIndent = 3;  // between the frame and the text

// Pieces of one line of text, each ending after the break character (the
// last one may not).
QStringList pieces(const QString& line, QChar breakAfter) {
    QStringList out;
    QString current;
    for (QChar c : line) {
        current += c;
        if (c == breakAfter) {
            out << current;
            current.clear();
        }
    }
    if (!current.isEmpty()) out << current;
    return out;
}

}  // namespace

BreakAfterDisplay::BreakAfterDisplay(QChar breakAfter, QWidget* parent)
    : QPlainTextEdit(parent), breakAfter_(breakAfter) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    // The view holds exactly one line (see fitViewToOneLine), so the next
    // line never peeks in below the first.
    document()->setDocumentMargin(0);
}

QStringList BreakAfterDisplay::WrapLines(const QString& text, QChar breakAfter, const QFontMetrics& metrics,
                                         int width) {
    QStringList lines;
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& explicitLine : normalised.split(QLatin1Char('\n'))) {
        QString line;
        for (QString piece : pieces(explicitLine, breakAfter)) {
            if (line.isEmpty() || metrics.horizontalAdvance(line + piece) <= width) {
                line += piece;
            } else {
                lines << line;
                line = piece;
            }
            // A piece wider than a whole line is cut where the line is full.
            while (line.size() > 1 && metrics.horizontalAdvance(line) > width) {
                int fit = 1;
                while (fit < line.size() && metrics.horizontalAdvance(line.left(fit + 1)) <= width) ++fit;
                lines << line.left(fit);
                line = line.mid(fit);
            }
        }
        lines << line;
    }
    return lines;
}

void BreakAfterDisplay::SetDisplayText(const QString& text) {
    if (text == text_ && !lines_.isEmpty()) return;
    text_ = text;
    rewrap();
}

int BreakAfterDisplay::textWidth(bool withScrollBar) const {
    const int margins = kTextIndent + 2;
    int width = contentsRect().width() - margins;
    if (withScrollBar) width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return std::max(1, width);
}

void BreakAfterDisplay::rewrap() {
    if (rewrapping_) return;
    rewrapping_ = true;
    QStringList lines = WrapLines(text_, breakAfter_, fontMetrics(), textWidth(false));
    // The scroll bar takes room from the text, which may wrap it further.
    if (lines.size() > 1) lines = WrapLines(text_, breakAfter_, fontMetrics(), textWidth(true));
    setVerticalScrollBarPolicy(lines.size() > 1 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    if (lines != lines_ || toPlainText() != lines.join(QLatin1Char('\n'))) {
        lines_ = lines;
        setPlainText(lines_.join(QLatin1Char('\n')));
        verticalScrollBar()->setValue(0);
    }
    fitViewToOneLine();
    rewrapping_ = false;
}

void BreakAfterDisplay::fitViewToOneLine() {
    const int line = std::max(1, static_cast<int>(std::ceil(blockBoundingRect(document()->firstBlock()).height())));
    const int room = contentsRect().height();
    const int top = std::max(0, (room - line) / 2);
    const int bottom = std::max(0, room - line - top);
    if (viewportMargins() != QMargins(kTextIndent, top, 0, bottom)) setViewportMargins(kTextIndent, top, 0, bottom);
}

void BreakAfterDisplay::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    rewrap();
}

void BreakAfterDisplay::changeEvent(QEvent* event) {
    QPlainTextEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        lines_.clear();
        rewrap();
    }
}

}  // namespace plova::ui
