#include "scenes/sixkeycaptions.h"

#include "scenes/keytables.h"

QString KeyCaptionFromIndexText(const QString &text)
{
    bool ok = false;
    const int index = text.trimmed().toInt(&ok, 10);
    return KeyName(ok ? index : -1);
}

void RefreshSixKeyCaptions(SixKeyButtonList &buttons)
{
    for (int b = 0; b < SixKeyButtonList::kButtons; ++b)
        buttons.setButtonCaption(b, KeyCaptionFromIndexText(buttons.keyIndexText(b)));
}
