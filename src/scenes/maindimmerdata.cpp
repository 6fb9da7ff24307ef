#include "scenes/maindimmerdata.h"

#include "scenes/scenestore.h"
#include "scenes/sceneviews.h"

namespace {

constexpr quint8 kGroupFieldMask = 0x03;

int GroupShift(int group)
{
    return 2 * (group - 1);
}

} // namespace

quint8 MainDimmerMask(const MainDimmerView &view)
{
    quint8 mask = 0;
    for (int g = 1; g <= kDimmerGroups; ++g)
        if (view.groupEnabled(g))
            mask |= quint8(1u << GroupShift(g));
    return mask;
}

quint8 MainDimmerColumnLevels(const MainDimmerView &view, int column)
{
    quint8 levels = 0;
    for (int g = 1; g <= kDimmerGroups; ++g)
        levels |= quint8((view.level(g, column) & kGroupFieldMask) << GroupShift(g));
    return levels;
}

QByteArray EncodeMainDimmerData(const MainDimmerView &view)
{
    const char mask = char(MainDimmerMask(view));
    QByteArray data;
    for (int c = 1; c <= kDimmerColumns; ++c) {
        data.append(mask);
        data.append(char(MainDimmerColumnLevels(view, c)));
    }
    return data;
}

void DecodeMainDimmerData(MainDimmerView &view, const QByteArray &data)
{
    for (int c = 1; c <= kDimmerColumns; ++c) {
        const int maskAt = 2 * c - 2;
        const int levelsAt = 2 * c - 1;
        for (int g = 1; g <= kDimmerGroups; ++g) {
            const int shift = GroupShift(g);
            if (maskAt < data.size())
                view.setGroupEnabled(g, ((quint8(data.at(maskAt)) >> shift) & kGroupFieldMask) != 0);
            if (levelsAt < data.size())
                view.setLevel(g, c, (quint8(data.at(levelsAt)) >> shift) & kGroupFieldMask);
        }
    }
}
