#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace threadhop {

/// One titled section of the help window.
struct HelpSection {
    QString id; ///< stable identifier of the section
    QString title;
    QStringList paragraphs;

    bool operator==(const HelpSection&) const = default;
};

// The fixed guide the help window shows.
namespace HelpContent {

/// The support section's first paragraph: the product page's address, or without one the fallback
/// text that names the page (both build settings).
QString productPageParagraph(const QString& productPageURL, const QString& fallback);

/// Every section in order, in this platform's words, with `productPage` opening the support section.
std::vector<HelpSection> all(const QString& productPage);

/// A paragraph that begins with "cd " is a shell command, shown as a command block.
bool isCommand(const QString& paragraph);

} // namespace HelpContent
} // namespace threadhop
