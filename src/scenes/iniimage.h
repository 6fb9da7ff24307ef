#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// The in-memory image of an INI file. Sections and entries keep the order in
// which they first entered the image; names compare without regard to case and
// the first occurrence of a name wins. Sections the program does not know are
// kept in place.
//
// A section that occurs twice in a file is merged into its first occurrence:
// the later block's entries are added after the first block's, and an entry
// name that is already there keeps its first value. So a lookup sees exactly
// what the first occurrence rule gives, and writing the image back loses no
// entry that only the later block held.
//
// Lookups go through a hash of lower-cased names (sections, and the entries of
// each section), so a full scene file of a few thousand entries is read and
// written without linear scans.
class IniImage
{
public:
    // Reads INI text: "[name]" opens a section, "name=value" is an entry (the
    // value is everything after the first '='; no spaces trimmed); empty lines,
    // lines beginning with ';', lines without '=' and lines before the first
    // section are skipped. Lines may end in CR LF, LF or CR.
    static IniImage parse(const QString &text);
    // Every section in order, its entries in order, one empty line after each
    // section, CR LF line ends.
    QString serialize() const;

    std::optional<QString> value(const QString &section, const QString &name) const;
    // Replaces the value in place, or appends the entry (and the section).
    // Line breaks in the value are stored as spaces: a value is one line of
    // the file and must never open a section or an entry of its own.
    void setValue(const QString &section, const QString &name, const QString &value);
    bool hasSection(const QString &section) const;
    QStringList sectionNames() const;
    QStringList entryNames(const QString &section) const;
    bool isEmpty() const { return m_sections.empty(); }
    void clear();

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
        QHash<QString, int> index; // lower-cased entry name -> position
    };
    static QString key(const QString &name) { return name.toLower(); }
    const Section *findSection(const QString &name) const;
    Section *findSection(const QString &name);
    Section &sectionFor(const QString &name);
    static void addEntry(Section &section, const QString &name, const QString &value);

    std::vector<Section> m_sections;
    QHash<QString, int> m_sectionIndex; // lower-cased section name -> position
};
