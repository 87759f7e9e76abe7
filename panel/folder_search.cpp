// Running a search folder's query through the chosen engine and making its hits the folder's
// children, with the progress drawn on the panel's top line as the hits arrive.
#include <functional>
#include <string>

#include "engines/engine_select.h"
#include "engines/hit_fields.h"
#include "engines/query_loop.h"
#include "far/adv_control.h"
#include "os/export_file.h"
#include "os/path_syntax.h"
#include "os/text_border.h"
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
    // The double horizontal line, in the console's code page.
    const std::string line = os::oemFromUnicode(std::u32string(static_cast<size_t>(cols.right - cols.left - 1), U'\u2550'));
    host.Text(cols.left + 1, 0, paletteColor(panel, kPaletteFrame), line.c_str());
}

bool isMailHit(const results::TSearchResult& hit) { return hit.UrlW.starts_with("mapi://"); }

// A mail hit's item: the item's creation time as all three times, its size, archive. An item the
// client cannot find keeps zeros: a listing of many hits is no place for an error box per hit.
void fillMailItem(TFiles& node, const results::TSearchResult& hit, const search::MailClient* client) {
    node.Item.Attributes = kAttributeArchive;
    if (!client) return;
    const std::string id = hit.MailEntryId.empty() ? engines::MailEntryIdFromUrl(hit.UrlW) : hit.MailEntryId;
    const search::MailItemLookup found = client->find(id);
    if (!found.facts) return;
    node.Item.Created = node.Item.Accessed = node.Item.Modified = found.facts->createdUtc;
    node.Item.Size = static_cast<uint64_t>(std::max<int64_t>(found.facts->size, 0));
}

// A hit node's item from what is known of its disk entry.
void fillEntry(TFiles& node, bool directory, uint32_t bits, const os::EntryTimes& times, uint64_t size) {
    node.Item.Attributes = (directory ? kAttributeDirectory : kAttributeArchive) | (bits & kAttributeHiddenReadOnly);
    node.Item.Created = times.created;
    node.Item.Accessed = times.accessed;
    node.Item.Modified = times.modified;
    node.Item.Size = size;
}

// A hit node: the index's record of its disk entry when the engine gave one (the index engine,
// for a file: a thousand hits are listed without a thousand look-ups; the index keeps no access
// time, so the modification time stands in), else the disk entry when the file is there, a mail
// hit's from the mail client; the hit's own name otherwise.
std::unique_ptr<TFiles> hitNode(results::TSearchResult&& hit, const search::MailClient* mailClient) {
    auto node = std::make_unique<TFiles>();
    node->Item.Flags = kPanelItemMark;
    if (isMailHit(hit)) fillMailItem(*node, hit, mailClient);
    if (hit.Entry && !hit.PathW.empty()) {
        const results::THitEntry& e = *hit.Entry;
        fillEntry(*node, (e.Attributes & kAttributeDirectory) != 0, e.Attributes, {e.Created, e.Modified, e.Modified}, e.Size);
        node->Name = FitNodeName(os::pathName(hit.PathW));
    } else if (const auto entry = hit.PathW.empty() || isMailHit(hit) ? std::nullopt : os::findEntry(hit.PathW, false)) {
        const uint32_t bits = (entry->hidden ? 0x2u : 0u) | (entry->readOnly ? 0x1u : 0u);
        fillEntry(*node, entry->directory, bits, entry->times, entry->size);
        node->Name = FitNodeName(os::pathName(hit.PathW));
    }
    if (node->Name.empty()) node->Name = FitNodeName(hit.Name);
    node->Item.AlternateName = node->Name.substr(0, 12);
    node->Result = std::make_unique<results::TSearchResult>(std::move(hit));
    node->Type = kTypeHit;
    return node;
}

// A folder's hits as the query loop hands them over: each hit becomes a node at the end of the
// list, until kMaxFolderHits; the progress title is redrawn at every kProgressEvery hits.
class FolderFiling {
public:
    FolderFiling(TPanel& panel, PanelColumns cols) : panel_(panel), cols_(cols) {}

    // The hits are moved out of the batch: the next fetch writes every slot it fills afresh.
    engines::BatchVerdict take(results::TSearchResults& batch) {
        for (int32_t i = 0; i < batch.Count; ++i) {
            if (panel_.HitCounter >= kMaxFolderHits) {
                panel_.HitsCut = true;
                break;
            }
            append(batch.Items[static_cast<size_t>(i)]);
        }
        if (panel_.HitCounter % kProgressEvery == 0)
            drawTitle(panel_, cols_, Msg(panel_, kMsgHitsFound) + ": " + std::to_string(panel_.HitCounter));
        return panel_.HitsCut ? engines::BatchVerdict::Enough : engines::BatchVerdict::More;
    }

    std::unique_ptr<TFiles> list() { return std::move(head_); }

private:
    void append(results::TSearchResult& hit) {
        if (!mail_ && isMailHit(hit)) mail_ = panel_.mail();
        auto node = hitNode(std::move(hit), mail_ ? mail_->client.get() : nullptr);
        TFiles* added = node.get();
        (last_ ? last_->Next : head_) = std::move(node);
        last_ = added;
        ++panel_.HitCounter;
    }

    TPanel& panel_;
    PanelColumns cols_;
    std::unique_ptr<TFiles> head_;
    TFiles* last_ = nullptr;
    std::optional<search::MailAccess> mail_;  // asked for at the first mail hit
};

// The engine's error texts go to the error box at once: the panel runs on FAR's main thread.
std::function<void(const std::string&)> errorBox(const TPanel& panel) {
    return [&host = *panel.env.host](const std::string& text) { platform::ShowErrorText(host, text); };
}

// The query's hits as a list, in the engine's order; at most kMaxFolderHits.
std::unique_ptr<TFiles> runQuery(TPanel& panel, const TFiles& folder, PanelColumns cols) {
    engines::TEngineEnvironment env = panel.env.engineEnvironment ? panel.env.engineEnvironment()
                                                                  : engines::TEngineEnvironment{};
    env.Config = panel.env.config;
    const auto say = errorBox(panel);
    const auto engine = engines::MakeSearchEngine(engines::ChosenEngine(*panel.env.config), std::move(env));
    const engines::EngineStatus opened = engine->open();
    if (!opened.shown.empty()) say(opened.shown);
    if (!engine->ready()) {
        say(Msg(panel, kMsgEngineUnusable));
        const engines::EngineStatus closed = engine->close();
        if (!closed.shown.empty()) say(closed.shown);
        return nullptr;
    }
    if (opened.code != 0) return nullptr;
    panel.HitCounter = 0;
    panel.HitsCut = false;
    panel.SearchInProgress = true;
    auto batch = results::makeSearchResults();
    FolderFiling filing(panel, cols);
    engines::QueryDriver driver;
    driver.onBatch = std::bind_front(&FolderFiling::take, &filing);
    driver.say = say;
    // A broken engine ends this search with what it found so far; the loop has said why.
    engines::RunQuery(*engine, folder.query, "", *batch, driver);
    const engines::EngineStatus closed = engine->close();
    if (!closed.shown.empty()) say(closed.shown);
    panel.SearchInProgress = false;
    return filing.list();
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
