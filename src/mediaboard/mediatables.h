#pragma once

#include <QtGlobal>
#include <vector>

// The media board's device pages as data: the fields of each page with their
// captions, hints and list items. The controls are built from these tables.

// A list item and the byte it stands for. Every list's first item is the
// board's default (0xFF).
struct ListItem
{
    const char *text;
    quint8 byte;
};

struct FieldLayout
{
    const char *caption;
    const char *captionHint; // the tooltip of the caption
    const char *fieldHint; // the tooltip of the field; nullptr for none
    // A list field's items; empty for a spin field (one byte, hexadecimal).
    std::vector<ListItem> items;

    bool isList() const { return !items.empty(); }
};

// A device page. Its controls are named after its word: field k is
// cbModbus<word>k for a list field, edModbus<word>k for a spin field, and
// the buttons are btnModbus<word>OK, btnModbus<word>Read, btnModbus<word>Reset.
// The sheet is tsModbus<word>.
struct DevicePageLayout
{
    const char *word;
    int tag; // carried by the page's three buttons
    int row; // the register page row it sends through
    std::vector<FieldLayout> fields; // in field order; the first four fill the left column
};

constexpr int kLeftColumnFields = 4;

// The remote-control page, then TV, VOD, AMP, KTV, DVD and the set-top box.
const std::vector<DevicePageLayout> &DevicePageLayouts();
