#include "host/app/options.h"

#include "skimmer_version.h"

namespace skimmer::host::app {
namespace {

// Sets what `option` asks for; false for an option of the table that has no meaning here yet.
bool apply(const os::ProgramOption& option, std::string value, Options& options) {
    const std::string_view name = option.name;
    if (name == "--manager") options.manager = true;
    else if (name == "--panel") options.panel = true;
    else if (name == "--plugin") options.plugins.push_back(std::move(value));
    else if (name == "--help") options.help = true;
    else if (name == "--version") options.version = true;
    else return false;
    return true;
}

}  // namespace

ParseResult parseOptions(const std::vector<std::string>& args) {
    ParseResult r;
    std::vector<std::string> words;
    bool endOfOptions = false;
    for (size_t i = 0; i < args.size();) {
        const std::string& a = args[i];
        if (endOfOptions || a.empty() || a[0] != '-' || a == "-") {
            words.push_back(args[i++]);
        } else if (a == "--") {
            endOfOptions = true;
            ++i;
        } else if (os::OptionMatch match = os::matchOption(kOptions, args, i); !match.option) {
            r.error = match.error;
            return r;
        } else if (!apply(*match.option, std::move(match.value), r.options)) {
            r.error = std::string(match.option->name) + " is not handled";
            return r;
        }
    }
    if (!words.empty()) {
        std::string text;
        for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
        r.options.text = text;
    }
    if (r.options.manager && r.options.panel) r.error = "--manager and --panel cannot be combined";
    return r;
}

std::string helpText() {
    return R"(Usage: skimmer [OPTION]... [TEXT]
A terminal host for FAR Manager 1.70 plug-ins: a file panel, a command line, and the Skimmer
search window, which opens at start. TEXT, when given, goes on the command line first (the
search window starts with it).

)" + os::helpLines(kOptions) +
           R"(
Plug-in folders (without --plugin): the modules in each subfolder of these, in this order; a module
whose file name was already loaded from an earlier folder is skipped:
  $XDG_DATA_HOME/skimmer/plugins/   (default ~/.local/share/skimmer/plugins/)
  <program folder>/plugins/         (a build folder)
  <libdir>/skimmer/plugins/         (the installed plug-ins)

Keys (as in FAR Manager):
  F11              plug-ins menu             Alt+Shift+F9   plug-in configuration
                   (F1 or Shift+F1 in either menu: the plug-in's help)
  Alt+F1, Alt+F2   drive menu of the left / right panel: folders and plug-in panels
  Ctrl+PgUp        up one folder             Ctrl+\         a plug-in panel's root
  Ctrl+O           show/hide the user screen (output of commands)
  F10              quit                      Enter          enter a folder / run the command line
  Shift+Enter      open with the default application
  F3, F4           view ($PAGER) / edit ($VISUAL, $EDITOR) the current file
  Ctrl+Enter       put the current name on the command line
  Up/Down, PgUp/PgDn, Home/End               move in the panel
  Ins, Shift+arrows select;  Gray *          invert the files' selection
  Gray +, Gray -   select / deselect the files matching masks (*.cpp,*.h; *.*|*.bak)
  Shift+Gray +, Shift+Gray -                 select all files, deselect everything
  Ctrl+0 ... Ctrl+9  view mode; Ctrl+F3 ... Ctrl+F11 sort by name, extension, modification time,
                   size, unsorted, creation time, access time, description, owner (the same key
                   again reverses the order); Ctrl+F12 sort menu; Shift+F12 selected first
  Shift+F2         on a plug-in panel that shows an archive: extract (as F5)
  Ctrl+Down        in an input line with a history: the lines entered before
  Alt+Shift+0 ... Alt+Shift+9   temporary panel 0 ... 9 (or tmp:+N); Alt+Shift+F12 lists them

Keys a terminal may not be able to send, and what to press instead:
  Shift+Enter      Alt+Enter
  Ctrl+Enter       Ctrl+J
  Ctrl+Backspace   Ctrl+H (what most terminals send for it)
Terminals that support xterm's modifyOtherKeys or the kitty keyboard protocol send
Shift+Enter and Ctrl+Enter directly; both protocols are switched on at start and off at exit.

Environment: SHELL runs command lines; ESCDELAY (milliseconds, default 25) is how long a lone Esc
waits for the rest of an escape sequence; XDG_CONFIG_HOME holds the settings (skimmer/registry.reg).
PAGER, VISUAL and EDITOR view and edit files. See skimmer(1) for the rest.
)";
}

std::string versionText() {
    return std::string("skimmer ") + kVersion + "\nPlug-in interface: FAR Manager 1.70 (ANSI)\n";
}

}  // namespace skimmer::host::app
