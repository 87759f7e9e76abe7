// Copying out of the panel: search folders become .skvfinder files, directories become folders,
// hits are copied as the files they stand for, and a mail hit as its message's text then CR LF.
//
// Every target is a name made safe for one folder entry inside Dest: the characters no name may
// hold on this system ("/"; on Windows also \ : * ? " < > |) and control characters become "_",
// and "", "." and ".." are refused, so no name leads out of the destination. A file
// is put in place only when complete, and an existing one is replaced only after the question.
#include "engines/hit_fields.h"
#include "os/export_file.h"
#include "os/path_syntax.h"
#include "panel/folder_file.h"
#include "panel/panel_dialogs.h"
#include "panel/panel_entries.h"
#include "panel/panel_items.h"
#include "panel/panel_messages.h"

namespace skimmer::panel {

namespace {

enum Answer { kGoOn = 0, kSkip = 1, kCancel = 2 };
enum class Overwrite { Ask, All, SkipAll };

// One CopyCall serves a whole GetFiles, nested directories included: the overwrite answer and the
// cancel are the operation's, not one level's.
struct CopyCall {
    TPanel& panel;
    bool move;
    Overwrite overwrite = Overwrite::Ask;
    bool cancelled = false;  // Cancel ends the whole copy, however deep the question was asked
};

bool ours(const TPanel& panel, HANDLE hPlugin) {
    return panel.PanelInstance && hPlugin == static_cast<HANDLE>(panel.PanelInstance.get());
}

std::optional<std::string> safeEntryName(const std::string& name) {
    if (!UsableNodeName(name)) return std::nullopt;
    std::string safe = name;
    for (char& c : safe)
        if (os::forbiddenNameCharacters().find(c) != std::string_view::npos || static_cast<unsigned char>(c) < 0x20 ||
            c == 0x7F)
            c = '_';
    return safe;
}

std::string title(const CopyCall& call) {
    return Msg(call.panel, call.move ? kMsgMoveTitle : kMsgCopyTitle) + " " + Msg(call.panel, kMsgSearchFolders);
}

int OverwriteQuestion(CopyCall& call, const std::string& target) {
    if (call.overwrite == Overwrite::SkipAll) return kSkip;
    if (call.overwrite == Overwrite::All) return kGoOn;
    TPanel& panel = call.panel;
    std::vector<std::string> lines = {title(call), Msg(panel, kMsgTargetExists), target, Msg(panel, kMsgWhatToDo)};
    for (int i = 0; i < 5; ++i) lines.push_back(Msg(panel, kMsgProceed + i));
    switch (AskMessage(panel, FMSG_WARNING, lines, 5)) {
        case 0: return kGoOn;
        case 1: call.overwrite = Overwrite::All; return kGoOn;
        case 2: return kSkip;
        case 3: call.overwrite = Overwrite::SkipAll; return kSkip;
        default: return kCancel;
    }
}

// A write that failed is said, with its reason; a full or failing disk ends the whole copy.
int reportFailure(CopyCall& call, int err, const std::string& error) {
    platform::ShowNoticeText(*call.panel.env.host, error);
    return os::endsEveryWrite(err) ? kCancel : kSkip;
}

// The mail item a mail hit stands for: the client and the entry id, or why there is none.
struct MailItem {
    std::shared_ptr<const search::MailClient> client;
    std::string entryId;
    std::string error;
};

MailItem findMail(const TPanel& panel, const TFiles& node) {
    const search::MailAccess mail = panel.mail();
    if (!mail.client) return {.error = "No mail store is available"};
    if (!node.Result) return {.error = "The item is not a mail item"};
    const results::TSearchResult& hit = *node.Result;
    const std::string& url = hit.UrlW.empty() ? hit.Url : hit.UrlW;
    MailItem item{.client = mail.client,
                  .entryId = hit.MailEntryId.empty() ? engines::MailEntryIdFromUrl(url) : hit.MailEntryId};
    search::MailItemLookup found = item.client->find(item.entryId);
    if (!found.facts) return {.error = std::move(found.error)};
    return item;
}

int CopyItem(CopyCall& call, PluginPanelItem& item, const TFiles& node, const std::string& target) {
    TPanel& panel = call.panel;
    const bool directory = item.FindData.dwFileAttributes & kAttributeDirectory;
    const bool mailHit = node.Type == kTypeHit && node.Result && node.Result->Url.starts_with("mapi://");
    std::optional<MailItem> message;
    if (mailHit) {
        // Resolved before any question: a message that is gone is said once and nothing is written.
        MailItem found = findMail(panel, node);
        if (!found.client) {
            platform::ShowNoticeText(*panel.env.host, "Not copied: " + node.Name + ": " + found.error);
            return kSkip;
        }
        message = std::move(found);
    }
    const auto existing = os::findEntry(target);
    std::string error;
    if (existing) {
        if (int answer = OverwriteQuestion(call, target)) return answer;
    }
    const bool replace = existing.has_value();
    int err = 0;
    if (message) {
        search::MailItemBody body = message->client->body(message->entryId, panel.fs());
        if (!body.error.empty()) {
            // The message cannot be read; the other items may well be copied.
            platform::ShowNoticeText(*panel.env.host, body.error);
            return kSkip;
        }
        body.text += "\r\n";
        err = os::writeWholeFile(panel.fs(), target, body.text, nullptr, replace, error);
        if (!err && !body.cut.empty()) platform::ShowNoticeText(*panel.env.host, body.cut + ": " + node.Name);
    } else if (directory) {
        err = os::makeFolder(panel.fs(), target, error);
    } else if (node.Type == kTypeHit) {
        err = os::copyWholeFile(panel.fs(), node.Result ? node.Result->Path : std::string(), target, replace, error);
    } else {
        err = WriteFolderFile(panel.fs(), node, target, replace, error);
    }
    if (err) return reportFailure(call, err, error);
    if (node.Type != kTypeHit) item.Flags &= ~PPIF_SELECTED;
    return kGoOn;
}

int copyItems(CopyCall& call, PluginPanelItem* items, int count, const std::string& dest) {
    int result = 1;
    for (int i = 0; i < count; ++i) {
        PluginPanelItem& item = items[i];
        const TFiles* node = NodeOfItem(call.panel, item);
        const auto name = safeEntryName(item.FindData.cFileName);
        if (!node || !name) {
            platform::ShowNoticeText(*call.panel.env.host,
                                    "Not copied (no file can have this name): " + std::string(item.FindData.cFileName));
            result = -1;
            continue;
        }
        const bool directory = item.FindData.dwFileAttributes & kAttributeDirectory;
        std::string target = os::pathInFolder(dest, *name);
        if (node->Type != kTypeHit && !directory) target += kFolderFileExtension;
        const int answer = CopyItem(call, item, *node, target);
        if (answer == kCancel) {
            call.cancelled = true;
            return -1;
        }
        if (answer == kSkip) {
            result = -1;
            continue;
        }
        if (directory && node->Children) {
            // The directory's contents are copied under the same call: an "all" answer given at any
            // depth holds for the rest of the whole copy, and a Cancel anywhere ends it. An item
            // skipped inside makes the whole copy's result -1, as one skipped here does.
            TItemBlock children = ChildItems(*node);
            if (!children.items.empty() &&
                copyItems(call, children.items.data(), static_cast<int>(children.items.size()), target) == -1)
                result = -1;
            if (call.cancelled) return -1;
        }
    }
    return result;
}

}  // namespace

int GetFiles(TPanel& panel, HANDLE hPlugin, PluginPanelItem* items, int count, int move, char* destPath, int opMode) {
    if (!ours(panel, hPlugin) || !items || count <= 0 || !destPath) return -1;
    if (std::string(items[0].FindData.cFileName) == Msg(panel, kMsgEmptyLevel) && !NodeOfItem(panel, items[0])) return -1;
    panel.hPlugin = hPlugin;
    SyncInstance(panel);
    std::string dest = destPath;
    if (!(opMode & OPM_SILENT)) dest = DestinationDialog(panel, dest, move != 0);
    if (dest.empty()) return -1;
    CopyName(destPath, FAR_MAX_PATH, dest);
    CopyCall call{panel, move != 0};
    return copyItems(call, items, count, std::string(os::withoutTrailingSeparators(dest)));
}

}  // namespace skimmer::panel
