#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The in-memory image of an INI file. Sections and entries keep the order in
// which they first entered the image; names compare without regard to case and
// the first occurrence of a name wins. Sections the program does not know are
// kept in place.
class IniImage
{
public:
    // Reads INI text: "[name]" opens a section, "name=value" is an entry (the
    // value is everything after the first '='; no spaces trimmed); empty lines,
    // lines beginning with ';', lines without '=' and lines before the first
    // section are skipped.
    static IniImage parse(const QString &text);
    // Every section in order, its entries in order, one empty line after each
    // section, CR LF line ends.
    QString serialize() const;

    std::optional<QString> value(const QString &section, const QString &name) const;
    // Replaces the value in place, or appends the entry (and the section).
    void setValue(const QString &section, const QString &name, const QString &value);
    bool hasSection(const QString &section) const;
    QStringList sectionNames() const;
    QStringList entryNames(const QString &section) const;
    bool isEmpty() const { return m_sections.empty(); }
    void clear() { m_sections.clear(); }

private:
    struct Entry
    {
        QString name;
        QString value;
    };
    struct Section
    {
        QString name;
        std::vector<Entry> entries;
    };
    const Section *findSection(const QString &name) const;
    Section *findSection(const QString &name);

    std::vector<Section> m_sections;
};
