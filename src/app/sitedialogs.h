// Puts the site editor (with the obstruction editor and the site map it opens) and the obstruction
// editor of the Obstructions command into the client's dialog slots. The program does it at start;
// tests that drive the real dialogs do it themselves.
#pragma once

class OrvantMDIClient;

void InstallSiteDialogs();
