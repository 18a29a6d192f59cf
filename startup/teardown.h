// Releasing what the loaders put into the state record.
#pragma once

namespace setupmenu {

// Frees every heap text and deletes every bitmap of the record, once each,
// skipping null fields. Brushes and cursors live until the process ends.
void FreeAllResources();

}  // namespace setupmenu
