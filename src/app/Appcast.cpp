#include "Appcast.h"

#include <QXmlStreamReader>

using namespace Qt::StringLiterals;

namespace threadhop {
namespace {

// What one <item> says; the enclosure's attributes stand in for the elements it lacks.
struct ItemFields {
    QString version;
    QString shortVersion;
    QString link;
    QString releaseNotes;
    QString enclosureVersion;
    QString enclosureShortVersion;
    QString enclosureUrl;

    Appcast::Item item() const
    {
        const QString& shownVersion = shortVersion.isEmpty() ? enclosureShortVersion : shortVersion;
        QString page = link;
        for (const QString* candidate : {&releaseNotes, &enclosureUrl}) {
            if (page.isEmpty())
                page = *candidate;
        }
        return {.version = (version.isEmpty() ? enclosureVersion : version).trimmed(),
                .shortVersion = shownVersion.trimmed(),
                .link = QUrl(page.trimmed())};
    }
};

ItemFields readItem(QXmlStreamReader& reader)
{
    ItemFields fields;
    while (reader.readNextStartElement()) {
        const QStringView name = reader.name();
        if (name == u"enclosure") {
            const QXmlStreamAttributes attributes = reader.attributes();
            for (const QXmlStreamAttribute& attribute : attributes) {
                if (attribute.name() == u"version")
                    fields.enclosureVersion = attribute.value().toString();
                else if (attribute.name() == u"shortVersionString")
                    fields.enclosureShortVersion = attribute.value().toString();
                else if (attribute.name() == u"url")
                    fields.enclosureUrl = attribute.value().toString();
            }
            reader.skipCurrentElement();
        } else if (name == u"version") {
            fields.version = reader.readElementText();
        } else if (name == u"shortVersionString") {
            fields.shortVersion = reader.readElementText();
        } else if (name == u"link") {
            fields.link = reader.readElementText();
        } else if (name == u"releaseNotesLink") {
            fields.releaseNotes = reader.readElementText();
        } else {
            reader.skipCurrentElement();
        }
    }
    return fields;
}

} // namespace

std::optional<std::vector<Appcast::Item>> Appcast::parse(QByteArrayView feed)
{
    QXmlStreamReader reader(feed.toByteArray());
    if (!reader.readNextStartElement() || reader.name() != u"rss")
        return std::nullopt;
    std::vector<Item> items;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"channel") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == u"item")
                items.push_back(readItem(reader).item());
            else
                reader.skipCurrentElement();
        }
    }
    // Whatever follows the document must be well-formed too.
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return std::nullopt;
    return items;
}

} // namespace threadhop
