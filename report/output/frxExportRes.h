// The export filters' texts in the report library's text table (frxRes.h): the blocks of
// their four options dialogs and their captions, progress messages and the JPEG file
// filter, added once at start-up.
#pragma once

class TfrxResources;

void AddExportResources(TfrxResources* Resources);
