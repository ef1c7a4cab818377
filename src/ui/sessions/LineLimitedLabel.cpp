#include "LineLimitedLabel.h"

#include "ui/widgets/Labels.h"

#include <QEvent>
#include <QTextLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

struct Line {
    qsizetype start;
    qsizetype length;
};

// Where the text breaks at `width`, paragraph by paragraph, up to `limit` lines and one more, so
// that the caller can tell whether anything was left out.
std::vector<Line> breakLines(const QString& text, const QFont& font, int width, int limit)
{
    std::vector<Line> lines;
    qsizetype paragraphStart = 0;
    while (static_cast<int>(lines.size()) <= limit && paragraphStart <= text.size()) {
        qsizetype paragraphEnd = text.indexOf(u'\n', paragraphStart);
        if (paragraphEnd < 0)
            paragraphEnd = text.size();
        QTextLayout layout(text.mid(paragraphStart, paragraphEnd - paragraphStart), font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid() && static_cast<int>(lines.size()) <= limit;
             line = layout.createLine()) {
            line.setLineWidth(width);
            lines.push_back({paragraphStart + line.textStart(), line.textLength()});
        }
        layout.endLayout();
        paragraphStart = paragraphEnd + 1;
    }
    return lines;
}

} // namespace

LineLimitedLabel::LineLimitedLabel(QString fullText, int maxLines, QWidget* parent)
    : QLabel(parent), m_fullText(std::move(fullText)), m_maxLines(maxLines)
{
    m_fullText.replace(u"\r\n"_s, u"\n"_s);
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Labels::selectable(this);
    QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    showLines();
}

QStringList LineLimitedLabel::linesAt(int width) const
{
    const auto lines = breakLines(m_fullText, font(), std::max(width, 1), m_maxLines);
    QStringList shown;
    for (const Line& line : lines)
        shown.append(m_fullText.mid(line.start, line.length));
    if (static_cast<int>(lines.size()) <= m_maxLines)
        return shown;
    // The last line ends in "…", after as much of its paragraph as fits.
    shown.resize(m_maxLines);
    const qsizetype start = lines[m_maxLines - 1].start;
    const qsizetype end = m_fullText.indexOf(u'\n', start);
    const QString rest = m_fullText.mid(start, end < 0 ? -1 : end - start) + u"…"_s;
    shown.back() = fontMetrics().elidedText(rest, Qt::ElideRight, width);
    return shown;
}

int LineLimitedLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int textWidth = width - margins.left() - margins.right();
    // Measured as the label draws its lines, so that the last one is never cut off.
    const QRect drawn = fontMetrics().boundingRect(QRect(0, 0, std::max(textWidth, 1), QWIDGETSIZE_MAX),
                                                   Qt::AlignLeft | Qt::AlignTop, linesAt(textWidth).join(u'\n'));
    return std::max(drawn.height(), fontMetrics().height()) + margins.top() + margins.bottom();
}

QSize LineLimitedLabel::sizeHint() const
{
    return {fontMetrics().averageCharWidth() * 20, heightForWidth(width())};
}

QSize LineLimitedLabel::minimumSizeHint() const
{
    return {fontMetrics().averageCharWidth() * 4, fontMetrics().lineSpacing()};
}

void LineLimitedLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    showLines();
}

void LineLimitedLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        showLines();
}

void LineLimitedLabel::showLines()
{
    const QString shown = linesAt(contentsRect().width()).join(u'\n');
    if (shown != text()) {
        setText(shown);
        updateGeometry();
    }
}

} // namespace threadhop
