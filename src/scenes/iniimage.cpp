#include "scenes/iniimage.h"

#include <QStringView>

namespace {

// A value is one line of the file: a CR or LF in it would end the entry early
// and let the rest of the text pass for sections and entries of its own.
QString OneLine(const QString &value)
{
    if (!value.contains(QLatin1Char('\r')) && !value.contains(QLatin1Char('\n')))
        return value;
    QString line = value;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

} // namespace

IniImage IniImage::parse(const QString &text)
{
    IniImage image;
    Section *current = nullptr;
    const qsizetype size = text.size();
    const QChar *data = text.constData();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != QLatin1Char('\r') && data[end] != QLatin1Char('\n'))
            ++end;
        const QStringView line(data + pos, end - pos);
        pos = end + 1;
        if (end + 1 < size && data[end] == QLatin1Char('\r') && data[end + 1] == QLatin1Char('\n'))
            ++pos;

        if (line.isEmpty() || line.front() == QLatin1Char(';'))
            continue;
        if (line.size() >= 2 && line.front() == QLatin1Char('[')
            && line.back() == QLatin1Char(']')) {
            // Pointers into m_sections stay valid only until the next section
            // is added, and that only happens here.
            current = &image.sectionFor(line.mid(1, line.size() - 2).toString());
            continue;
        }
        if (!current)
            continue; // text before the first section
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString name = line.left(eq).toString();
        if (current->index.contains(key(name)))
            continue; // the first occurrence wins
        addEntry(*current, name, line.mid(eq + 1).toString());
    }
    return image;
}

QString IniImage::serialize() const
{
    static const QString kLineEnd = QStringLiteral("\r\n");
    qsizetype length = 0;
    for (const Section &section : m_sections) {
        length += section.name.size() + 6;
        for (const Entry &entry : section.entries)
            length += entry.name.size() + entry.value.size() + 3;
    }
    QString text;
    text.reserve(length);
    for (const Section &section : m_sections) {
        text += QLatin1Char('[');
        text += section.name;
        text += QLatin1Char(']');
        text += kLineEnd;
        for (const Entry &entry : section.entries) {
            text += entry.name;
            text += QLatin1Char('=');
            text += entry.value;
            text += kLineEnd;
        }
        text += kLineEnd;
    }
    return text;
}

std::optional<QString> IniImage::value(const QString &section, const QString &name) const
{
    const Section *s = findSection(section);
    if (!s)
        return std::nullopt;
    const auto it = s->index.constFind(key(name));
    if (it == s->index.constEnd())
        return std::nullopt;
    return s->entries[size_t(*it)].value;
}

void IniImage::setValue(const QString &section, const QString &name, const QString &value)
{
    Section &s = sectionFor(section);
    const auto it = s.index.constFind(key(name));
    if (it != s.index.constEnd())
        s.entries[size_t(*it)].value = OneLine(value);
    else
        addEntry(s, name, OneLine(value));
}

bool IniImage::hasSection(const QString &section) const
{
    return findSection(section) != nullptr;
}

QStringList IniImage::sectionNames() const
{
    QStringList names;
    names.reserve(qsizetype(m_sections.size()));
    for (const Section &section : m_sections)
        names.append(section.name);
    return names;
}

QStringList IniImage::entryNames(const QString &section) const
{
    QStringList names;
    if (const Section *s = findSection(section)) {
        names.reserve(qsizetype(s->entries.size()));
        for (const Entry &entry : s->entries)
            names.append(entry.name);
    }
    return names;
}

void IniImage::clear()
{
    m_sections.clear();
    m_sectionIndex.clear();
}

const IniImage::Section *IniImage::findSection(const QString &name) const
{
    const auto it = m_sectionIndex.constFind(key(name));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

IniImage::Section *IniImage::findSection(const QString &name)
{
    const auto it = m_sectionIndex.constFind(key(name));
    return it == m_sectionIndex.constEnd() ? nullptr : &m_sections[size_t(*it)];
}

IniImage::Section &IniImage::sectionFor(const QString &name)
{
    if (Section *s = findSection(name))
        return *s;
    m_sectionIndex.insert(key(name), int(m_sections.size()));
    m_sections.push_back(Section{name, {}, {}});
    return m_sections.back();
}

void IniImage::addEntry(Section &section, const QString &name, const QString &value)
{
    section.index.insert(key(name), int(section.entries.size()));
    section.entries.push_back(Entry{name, value});
}
