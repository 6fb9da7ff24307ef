#pragma once

// The key list as commands and panels use it: the selected key index (-1 for
// none), selecting a key without a key switch, and running the key switch on
// the key selected.
class KeySelection
{
public:
    virtual ~KeySelection() = default;
    virtual int selectedKeyIndex() const = 0;
    // Changes the selection only; the panels keep the key they show.
    virtual void selectKeyIndex(int keyIndex) = 0;
    // Stores the panels into the shown key and shows the selected key.
    virtual void ComboBox1Enter() = 0;
    // Slot 1..19 did not answer a read of the shown key: the next key switch
    // keeps the key's stored data for it unless its panel changes first.
    virtual void keepStoredData(int slot) = 0;
};
