#pragma once

#include <QString>

// The six buttons of a six-key panel as the key captions see them: each button
// keeps the key index it triggers as decimal text.
class SixKeyButtonList
{
public:
    static constexpr int kButtons = 6;
    virtual ~SixKeyButtonList() = default;
    virtual QString keyIndexText(int button) const = 0; // button 0..5
    virtual void setButtonCaption(int button, const QString &caption) = 0;
};

// The key-list text for a key index given as text: empty when the text is not
// a decimal integer or the index lies outside 0..61.
QString KeyCaptionFromIndexText(const QString &text);
// Sets every button's caption from its key index.
void RefreshSixKeyCaptions(SixKeyButtonList &buttons);
