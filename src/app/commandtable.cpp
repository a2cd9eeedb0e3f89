#include "app/commandtable.h"

#include "string_ids.h"
#include "ui/commands.h"

namespace {

constexpr auto kNoKey = QKeySequence::UnknownKey;

const std::vector<CommandInfo> kTable = {
    {CM_SITELIST_NEW, MenuGroup::SiteList, IDS_MENU_NEW, false, "new", "document-new", QKeySequence::New,
     10001},
    {CM_SITELIST_OPEN, MenuGroup::SiteList, IDS_MENU_OPEN, false, "open", "document-open", QKeySequence::Open,
     10002},
    {CM_SITELIST_SAVE, MenuGroup::SiteList, IDS_MENU_SAVE, false, "save", "document-save", QKeySequence::Save,
     10003},
    {CM_SITELIST_SAVEAS, MenuGroup::SiteList, IDS_MENU_SAVE_AS, false, nullptr, "document-save-as",
     QKeySequence::SaveAs, 10004},
    {CM_SITES, MenuGroup::SiteList, IDS_MENU_SITES, true, "sites", nullptr, kNoKey, 10005},
    {CM_OBSTRUCTIONS, MenuGroup::SiteList, IDS_MENU_OBSTRUCTIONS, false, "obstructions", nullptr, kNoKey,
     10006},
    {CM_PRINT_GRAPH, MenuGroup::SiteList, IDS_MENU_PRINT_GRAPH, true, nullptr, "document-print",
     QKeySequence::Print, 10007},
    {CM_PRINT_TABLE, MenuGroup::SiteList, IDS_MENU_PRINT_TABLE, false, nullptr, nullptr, kNoKey, 10008},
    {CM_EXPORT_GRAPH, MenuGroup::SiteList, IDS_MENU_EXPORT_GRAPH, false, nullptr, "document-export", kNoKey,
     10011},
    {CM_PRINT_SETUP, MenuGroup::SiteList, IDS_MENU_PRINT_SETUP, false, nullptr, nullptr, kNoKey, 10009},
    {CM_EXIT, MenuGroup::SiteList, IDS_MENU_EXIT, true, nullptr, "application-exit", QKeySequence::Quit,
     10010},
    {CM_VIEW_VISIBILITY, MenuGroup::View, IDS_MENU_SAT_VISIBILITY, false, "visibility", nullptr, kNoKey,
     10012},
    {CM_VIEW_DOP, MenuGroup::View, IDS_MENU_DOP_PLOT, false, "dop", nullptr, kNoKey, 10013},
    {CM_VIEW_SKY, MenuGroup::View, IDS_MENU_SKY_PLOT, false, "sky", nullptr, kNoKey, 10014},
    {CM_CASCADE, MenuGroup::Window, IDS_MENU_CASCADE, false, nullptr, nullptr, kNoKey, 10016},
    {CM_TILE, MenuGroup::Window, IDS_MENU_TILE, false, nullptr, nullptr, kNoKey, 10017},
    {CM_ARRANGE_ICONS, MenuGroup::Window, IDS_MENU_ARRANGE_ICONS, false, nullptr, nullptr, kNoKey, 10018},
    {CM_CLOSE_ALL, MenuGroup::Window, IDS_MENU_CLOSE_ALL, false, nullptr, nullptr, kNoKey, 10019},
    {CM_SAT_CONFIG, MenuGroup::Setup, IDS_MENU_SAT_CONFIG, false, "satconfig", nullptr, kNoKey, 10521},
    {CM_OPTIONS, MenuGroup::Setup, IDS_MENU_OPTIONS, false, "options", nullptr, kNoKey, 10022},
    {CM_TERRAIN, MenuGroup::Setup, IDS_MENU_TERRAIN, false, nullptr, nullptr, kNoKey, 48250},
    {CM_TIME_BAR, MenuGroup::Setup, IDS_MENU_TIME_BAR, true, nullptr, nullptr, kNoKey, 10023},
    {CM_HELP_TOPICS, MenuGroup::Help, IDS_MENU_HELP_TOPICS, false, nullptr, "help-contents", kNoKey, 10100},
    {CM_ABOUT, MenuGroup::Help, IDS_MENU_ABOUT, false, nullptr, "help-about", kNoKey, 10025},
};

const std::vector<int> kShort = {CM_SITELIST_NEW, CM_SITELIST_OPEN, -12, CM_SAT_CONFIG, CM_OPTIONS};
const std::vector<int> kFull = {
    CM_SITELIST_NEW,    CM_SITELIST_OPEN, CM_SITELIST_SAVE, -8, CM_SITES,      CM_OBSTRUCTIONS, -8,
    CM_VIEW_VISIBILITY, CM_VIEW_DOP,      CM_VIEW_SKY,      -8, CM_SAT_CONFIG, CM_OPTIONS};

} // namespace

const std::vector<CommandInfo>& CommandTable() {
    return kTable;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& c : kTable)
        if (c.id == id)
            return &c;
    return nullptr;
}

const std::vector<int>& ShortToolBar() {
    return kShort;
}

const std::vector<int>& FullToolBar() {
    return kFull;
}

int MenuTitleId(MenuGroup group) {
    switch (group) {
    case MenuGroup::SiteList:
        return IDS_MENU_SITE_LIST;
    case MenuGroup::View:
        return IDS_MENU_VIEW;
    case MenuGroup::Window:
        return IDS_MENU_WINDOW;
    case MenuGroup::Setup:
        return IDS_MENU_SETUP;
    case MenuGroup::Help:
        return IDS_MENU_HELP;
    }
    return IDS_MENU_HELP;
}

int HelpIdForCommand(int id) {
    const CommandInfo* c = FindCommand(id);
    return c ? c->helpId : 0;
}
