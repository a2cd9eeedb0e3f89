#include "app/sitedialogs.h"

#include "app/mdiclient.h"
#include "dialogs/obstructdialog.h"
#include "dialogs/sitedialog.h"

void InstallSiteDialogs() {
    ClientDialogs& dialogs = InstalledDialogs();
    // The client, their parent, also draws the satellite tracks behind the obstruction editor.
    dialogs.siteEditor = [](QWidget* parent, project& list) {
        SiteDialog dialog(parent, list, dynamic_cast<SkyTrackSource*>(parent));
        return dialog.exec() == SiteDialog::kSelect;
    };
    dialogs.obstructionEditor = [](QWidget* parent, SiteInfo& site, AList<Obstruction>& obstructions) {
        std::vector<SkyTrack> tracks;
        if (auto* source = dynamic_cast<SkyTrackSource*>(parent))
            tracks = source->SkyTracksFor(site);
        ObstructDialog dialog(parent, obstructions, QString::fromUtf8(site.name).trimmed(), std::move(tracks),
                              0, site.terrain);
        return dialog.exec() == 1;
    };
}
