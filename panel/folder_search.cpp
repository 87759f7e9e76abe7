// Running a search folder's query through the chosen engine and making its hits the folder's
// children, with the progress drawn on the panel's top line as the hits arrive.
#include "engines/engine_select.h"
#include "engines/hit_fields.h"
#include "far/adv_control.h"
#include "os/export_file.h"
#include "panel/panel_entries.h"
#include "panel/panel_messages.h"
#include "results/text_trunc.h"

namespace skimmer::panel {

namespace {

struct PanelColumns {
    int left = 0;
    int right = 0;
};

PanelColumns activeColumns(const TPanel& panel) {
    PanelInfo info{};
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    if (host.Control) host.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &info);
    return {info.PanelRect.left, info.PanelRect.right};
}

int paletteColor(const TPanel& panel, int index) {
    const auto* palette = panel.env.palette;
    return palette && index < static_cast<int>(palette->size()) ? (*palette)[index] : 0;
}

// The title T centred on the panel's top line, then flushed.
void drawTitle(const TPanel& panel, PanelColumns cols, const std::string& text) {
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    if (!host.Text) return;
    const std::string title = " " + results::TruncMiddle(text, cols.right - cols.left) + " ";
    const int x = (cols.left + cols.right) / 2 - static_cast<int>(title.size()) / 2;
    host.Text(x, 0, paletteColor(panel, kPaletteTitle), title.c_str());
    host.Text(0, 0, 0, nullptr);
}

void drawFrameLine(const TPanel& panel, PanelColumns cols) {
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    if (!host.Text || cols.right - cols.left - 1 <= 0) return;
    std::string line;
    for (int i = 0; i < cols.right - cols.left - 1; ++i) line += "\u2550";  // the double horizontal line
    host.Text(cols.left + 1, 0, paletteColor(panel, kPaletteFrame), line.c_str());
}

std::string lastComponent(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool isMailHit(const results::TSearchResult& hit) { return hit.UrlW.starts_with("mapi://"); }

// A mail hit's item: the message's creation time as all three times, its size, archive. A message
// the store cannot find keeps zeros: a listing of many hits is no place for an error box per hit.
void fillMailItem(TFiles& node, const results::TSearchResult& hit, const os::MailStore* store) {
    node.Item.Attributes = kAttributeArchive;
    if (!store) return;
    const std::string id = hit.MailEntryId.empty() ? engines::MailEntryIdFromUrl(hit.UrlW) : hit.MailEntryId;
    const os::MailLookup found = store->find(id);
    if (!found.message) return;
    const uint64_t created = os::fileTimeFromUnix({.seconds = found.message->created});
    node.Item.Created = node.Item.Accessed = node.Item.Modified = created;
    node.Item.Size = static_cast<uint64_t>(std::max<int64_t>(found.message->size, 0));
}

// A hit node: the disk entry's attributes, times and size when the file is there, a mail hit's
// from the mail store; the hit's own name otherwise.
std::unique_ptr<TFiles> hitNode(const results::TSearchResult& hit, const os::MailStore* mailStore) {
    auto node = std::make_unique<TFiles>();
    node->Item.Flags = kPanelItemMark;
    if (isMailHit(hit)) fillMailItem(*node, hit, mailStore);
    const auto entry = hit.PathW.empty() || isMailHit(hit) ? std::nullopt : os::findEntry(hit.PathW, false);
    if (entry) {
        node->Item.Attributes = entry->directory ? kAttributeDirectory : kAttributeArchive;
        if (entry->hidden) node->Item.Attributes |= 0x2;
        if (entry->readOnly) node->Item.Attributes |= 0x1;
        node->Item.Created = entry->times.created;
        node->Item.Accessed = entry->times.accessed;
        node->Item.Modified = entry->times.modified;
        node->Item.Size = entry->size;
        node->Name = FitNodeName(lastComponent(hit.PathW));
    }
    if (node->Name.empty()) node->Name = FitNodeName(hit.Name);
    node->Item.AlternateName = node->Name.substr(0, 12);
    node->Result = hit;
    node->Type = kTypeHit;
    return node;
}

// The query's hits as a list, in the engine's order; at most kMaxFolderHits.
std::unique_ptr<TFiles> runQuery(TPanel& panel, const TFiles& folder, PanelColumns cols) {
    engines::TSearchEngine engine(panel.env.engineEnvironment ? panel.env.engineEnvironment()
                                                              : engines::TEngineEnvironment{});
    engine.Env.Config = panel.env.config;
    const engines::TEngineOps& ops = engines::EngineOps(*panel.env.config);
    const int32_t opened = ops.Init(engine);
    if (!engine.Ready) {
        platform::ShowErrorText(*panel.env.host, Msg(panel, kMsgEngineUnusable));
        ops.Done(engine);
        return nullptr;
    }
    if (opened != 0) return nullptr;
    std::unique_ptr<TFiles> head;
    TFiles* last = nullptr;
    panel.HitCounter = 0;
    panel.HitsCut = false;
    auto batch = results::makeSearchResults();
    std::optional<search::MailAccess> mail;  // asked for at the first mail hit
    try {
        if (ops.Query(engine, folder.query, "") == 0) {
            do {
                panel.SearchInProgress = true;
                batch->Count = 0;
                batch->Finished = true;
                if (ops.Fetch(engine, *batch) != 0) break;
                for (int32_t i = 0; i < batch->Count; ++i) {
                    if (panel.HitCounter >= kMaxFolderHits) {
                        panel.HitsCut = true;
                        break;
                    }
                    const results::TSearchResult& hit = batch->Items[i];
                    if (!mail && isMailHit(hit)) mail = panel.mail();
                    auto node = hitNode(hit, mail ? mail->store.get() : nullptr);
                    TFiles* added = node.get();
                    (last ? last->Next : head) = std::move(node);
                    last = added;
                    ++panel.HitCounter;
                }
                if (panel.HitCounter % kProgressEvery == 0)
                    drawTitle(panel, cols, Msg(panel, kMsgHitsFound) + ": " + std::to_string(panel.HitCounter));
            } while (!batch->Finished && !panel.HitsCut);
        }
    } catch (const std::exception& error) {
        // A failed engine call ends this search with what it found so far, and says so.
        platform::ShowErrorText(*panel.env.host, error.what());
    }
    ops.EndQuery(engine);
    ops.Done(engine);
    panel.SearchInProgress = false;
    return head;
}

}  // namespace

void EnterSearchFolder(TPanel& panel, TFiles& folder) {
    const PanelColumns cols = activeColumns(panel);
    drawFrameLine(panel, cols);
    drawTitle(panel, cols, Msg(panel, kMsgSearching));
    ClearChildren(folder);
    TPanelInstance& at = *panel.PanelInstance;
    at.Parent = &folder;
    at.Current = nullptr;
    RememberPosition(panel);
    folder.Children = runQuery(panel, folder, cols);
    SyncInstance(panel);
    RememberPosition(panel);
    if (panel.HitsCut)
        platform::ShowNoticeText(*panel.env.host, Msg(panel, kMsgFolderHitsCut) + " " + std::to_string(kMaxFolderHits));
    const PluginStartupInfo& host = panel.env.host->StartupInfo;
    if (host.Control) {
        host.Control(panel.hPlugin, FCTL_UPDATEPANEL, nullptr);
        host.Control(panel.hPlugin, FCTL_REDRAWPANEL, nullptr);
    }
    if (host.AdvControl) host.AdvControl(host.ModuleNumber, ACTL_COMMIT, nullptr);
}

}  // namespace skimmer::panel
