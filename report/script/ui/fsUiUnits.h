// The script bindings of the graphics, forms and dialogs: a library of its own beside the
// script engine, which binds only the runtime's classes.
#pragma once

// Registers the units "fs_graphics", "fs_forms" and "fs_dialogs"; they start after the
// script engine's and the window layer's units. The dialogs unit makes the script's
// ShowMessage show the platform's message box.
void RegisterScriptUiUnits();
