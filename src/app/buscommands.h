#pragma once

#include "app/formcommandhost.h"
#include "scenes/bulkcommands.h"
#include "scenes/keycommands.h"
#include "scenes/replydispatcher.h"
#include "scenes/sixkeycommands.h"

// The bus commands of the main window and the reply dispatcher, built over
// the window's link, key list, menu and panel tables.
struct BusCommands
{
    BusCommands(const BusContext &bus, BusState &state, KeySelection &keySelection, ProgressStatus &progress,
                MainMenu &menu, WindowPanels &panels, SceneStore &store, QComboBox *stepList)
        : host(menu, panels, store, stepList),
          context{bus, state, keySelection, host, progress},
          keys(context),
          sixKeys(context),
          bulk(context, keys, sixKeys),
          replies(context)
    {
    }

    FormCommandHost host;
    CommandContext context;
    KeyCommands keys;
    SixKeyCommands sixKeys;
    BulkCommands bulk;
    ReplyDispatcher replies;
};
