// Puts the site editor into the client's dialog slots. The program does it at start; tests that
// drive the real dialogs do it themselves.
#pragma once

class OrvantMDIClient;

void InstallSiteDialogs();
