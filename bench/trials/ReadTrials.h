#pragma once
// `dump`, `backup` and `ident` under line faults, each through the routines
// velmora-cli runs for it, at node 01 (level 1) or its i2c module 10 (level 2). The
// module's memories are filled at random from the setup's seed, so a reply that answers
// another request than the one waited for cannot pass for the right bytes.

#include "bench/trials/CommandTrial.h"

namespace velmora::sim {

enum class DumpMemory { Ram, Eeprom };

// The whole memory, page after page as `dump --pages` reads it (RAM 16 pages, EEPROM
// 4); a page that could not be read ends the run with a reported failure.
CommandTrial runDumpTrial(const TrialSetup& setup, DumpMemory memory);

// backupModule from the bottom address (2000 at the node, 4000 at the module):
// success must give the module's Flash from there to FFFF and its whole EEPROM.
CommandTrial runBackupTrial(const TrialSetup& setup);

// readIdent: success must give the module's identifier block.
CommandTrial runIdentTrial(const TrialSetup& setup);

}  // namespace velmora::sim
