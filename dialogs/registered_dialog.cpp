// Building a registered dialog: the table walker and AddItem.
#include "dialogs/registered_dialog.h"

#include <cstring>
#include <optional>

#include "os/utf8.h"

namespace skimmer::dialogs {
namespace {

// Coordinates and sizes a table may give; anything outside is a typo or a computation gone wrong,
// and is refused rather than handed to the host.
constexpr int64_t kMaxCoordinate = 32767;
constexpr int64_t kMaxRadioOptions = kParamRadio;

// Reads a table front to back; the first value it cannot use ends the walk with an error naming
// that value's position.
class DescriptionReader {
public:
    explicit DescriptionReader(const std::vector<TDescriptionValue>& values) : values_(values) {}

    bool atEnd() const { return pos_ >= values_.size(); }
    const std::string& error() const { return error_; }

    std::optional<int64_t> integer(std::string_view what, int64_t low, int64_t high) {
        const TDescriptionValue* value = next(what);
        if (!value) return std::nullopt;
        const auto* number = std::get_if<int64_t>(value);
        if (!number) return fail(what, "is not a number");
        if (*number < low || *number > high)
            return fail(what, "is " + std::to_string(*number) + ", outside " + std::to_string(low) + ".." +
                                  std::to_string(high));
        return *number;
    }
    std::optional<int32_t> coordinate(std::string_view what, int64_t low = 0) {
        auto number = integer(what, low, kMaxCoordinate);
        return number ? std::optional<int32_t>(static_cast<int32_t>(*number)) : std::nullopt;
    }
    // Item flags: any 32-bit pattern, DIF_DISABLE's top bit included.
    std::optional<uint32_t> flags() {
        auto number = integer("flags", 0, UINT32_MAX);
        return number ? std::optional<uint32_t>(static_cast<uint32_t>(*number)) : std::nullopt;
    }
    std::optional<std::string> text(std::string_view what) {
        const TDescriptionValue* value = next(what);
        if (!value) return std::nullopt;
        const auto* str = std::get_if<std::string>(value);
        if (!str) return fail(what, "is not a text");
        return *str;
    }
    // A button's result variable; null is allowed (the caller does not need the index).
    std::optional<int32_t*> result() {
        const TDescriptionValue* value = next("result variable");
        if (!value) return std::nullopt;
        const auto* ptr = std::get_if<int32_t*>(value);
        if (!ptr) return fail("result variable", "is not a variable");
        return *ptr;
    }
    std::nullopt_t fail(std::string_view what, const std::string& why) {
        if (error_.empty())
            error_ = "dialog description, value " + std::to_string(pos_ - 1) + " (" + std::string(what) + "): " + why;
        return std::nullopt;
    }

private:
    const TDescriptionValue* next(std::string_view what) {
        if (!error_.empty()) return nullptr;
        if (atEnd()) {
            error_ = "dialog description ends inside an item, where its " + std::string(what) + " should be";
            return nullptr;
        }
        return &values_[pos_++];
    }

    const std::vector<TDescriptionValue>& values_;
    size_t pos_ = 0;
    std::string error_;
};

// Columns a text takes on a line: its characters, an invalid byte counting as one.
int32_t characterCount(std::string_view text) { return static_cast<int32_t>(os::utf8CharacterCount(text)); }

FarDialogItem makeItem(const TItemFields& fields, std::string_view text) {
    FarDialogItem item{};
    item.Type = fields.Type;
    item.X1 = fields.X1;
    item.Y1 = fields.Y1;
    item.X2 = fields.X2;
    item.Y2 = fields.Y2;
    item.Flags = fields.Flags;
    const size_t length = os::utf8CutPoint(text, kMaxItemText);
    std::memcpy(item.Data, text.data(), length);
    item.Data[length] = '\0';
    return item;
}

void report(const TRegisteredDialog& dialog, const std::string& text) {
    if (dialog.Config && dialog.Config->reportError_) dialog.Config->reportError_(text);
}

// The bound setting's value when it is of the kind the item edits; otherwise reported and none.
// An unknown name has already been reported by the store.
template <typename T>
config::TConfigValuePtr boundValue(TRegisteredDialog& dialog, std::string_view name, const char* kindName) {
    if (name.empty()) return std::monostate{};
    config::TConfigValuePtr value = dialog.Record ? dialog.Record->find(name) : config::TConfigValuePtr{};
    if (std::holds_alternative<std::monostate>(value)) {
        if (!dialog.Config) return std::monostate{};
        value = config::getConfigElementPtr(*dialog.Config, name);
    }
    if (std::holds_alternative<std::monostate>(value) || std::holds_alternative<T*>(value)) return value;
    report(dialog, "The setting \"" + std::string(name) + "\" does not hold " + kindName +
                       "; its dialog item is shown but not bound");
    return std::monostate{};
}

void appendBinding(TRegisteredDialog& dialog, int32_t itemIndex, int32_t param, int32_t kind, std::string_view name,
                   config::TConfigValuePtr value = std::monostate{}) {
    dialog.Names.push_back({itemIndex, param, kind, std::string(name), value});
    dialog.NameCount = static_cast<int32_t>(dialog.Names.size());
}

void clear(TRegisteredDialog& dialog) {
    dialog.Items.clear();
    dialog.Names.clear();
    dialog.ItemCount = dialog.NameCount = 0;
}

bool readBox(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto x1 = in.coordinate("X1"), y1 = in.coordinate("Y1"), x2 = in.coordinate("X2"), y2 = in.coordinate("Y2");
    auto flags = in.flags();
    auto title = in.text("title");
    if (!title) return false;
    AddItem(dialog, {{DI_DOUBLEBOX, *x1, *y1, *x2, *y2, *flags}}, {*title}, {});
    return true;
}

bool readSeparator(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto y = in.coordinate("Y");
    auto flags = in.flags();
    if (!flags) return false;
    AddItem(dialog, {{DI_TEXT, 0, *y, 0, *y, *flags | DIF_BOXCOLOR | DIF_SEPARATOR}}, {""}, {});
    return true;
}

bool readRadioGroup(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto count = in.integer("option count", 1, kMaxRadioOptions);
    auto setting = in.text("setting name");
    if (!setting) return false;
    std::vector<TItemFields> fields;
    std::vector<std::string> texts;
    for (int64_t i = 0; i < *count; ++i) {
        auto x = in.coordinate("X"), y = in.coordinate("Y");
        auto flags = in.flags();
        auto text = in.text("option text");
        if (!text) return false;
        fields.push_back({DI_RADIOBUTTON, *x, *y, *x, *y, i == 0 ? *flags | DIF_GROUP : *flags});
        texts.push_back(std::move(*text));
    }
    AddItem(dialog, fields, texts, *setting);
    return true;
}

bool readButton(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto x = in.coordinate("X"), y = in.coordinate("Y");
    auto flags = in.flags();
    auto text = in.text("text"), name = in.text("name");
    auto result = in.result();
    if (!result) return false;
    const int32_t index = AddItem(dialog, {{DI_BUTTON, *x, *y, *x, *y, *flags}}, {*text}, *name);
    if (*result) **result = index;
    return true;
}

bool readEdit(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto x = in.coordinate("X"), y = in.coordinate("Y"), width = in.coordinate("width", 1);
    auto flags = in.flags();
    auto setting = in.text("setting name");
    if (!setting) return false;
    if (*x + *width - 1 > kMaxCoordinate) {
        in.fail("width", "takes the field past column " + std::to_string(kMaxCoordinate));
        return false;
    }
    AddItem(dialog, {{DI_EDIT, *x, *y, *x + *width - 1, *y, *flags}}, {""}, *setting);
    return true;
}

bool readLabel(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto x = in.coordinate("X"), y = in.coordinate("Y");
    auto flags = in.flags();
    auto name = in.text("name"), text = in.text("text");
    if (!text) return false;
    // The hot-key mark is not drawn, so it takes no column.
    const int32_t shown = characterCount(*text) - (text->find('&') != std::string::npos ? 1 : 0);
    AddItem(dialog, {{DI_TEXT, *x, *y, *x + shown - 1, *y, *flags}}, {*text}, *name);
    return true;
}

bool readCheckBox(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto x = in.coordinate("X"), y = in.coordinate("Y");
    auto flags = in.flags();
    auto text = in.text("text"), setting = in.text("setting name");
    if (!setting) return false;
    AddItem(dialog, {{DI_CHECKBOX, *x, *y, *x, *y, *flags}}, {*text}, *setting);
    return true;
}

bool readItem(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto code = in.integer("type code", dcBox, dcCheckBox);
    if (!code) return false;
    switch (*code) {
        case dcBox: return readBox(in, dialog);
        case dcSeparator: return readSeparator(in, dialog);
        case dcRadioGroup: return readRadioGroup(in, dialog);
        case dcButton: return readButton(in, dialog);
        case dcEdit: return readEdit(in, dialog);
        case dcLabel: return readLabel(in, dialog);
        case dcCheckBox: return readCheckBox(in, dialog);
        default:  // code 2 is not defined
            in.fail("type code", std::to_string(*code) + " is not an item type");
            return false;
    }
}

bool readHeader(DescriptionReader& in, TRegisteredDialog& dialog) {
    auto type = in.integer("header type", kHeaderType, kHeaderType);
    auto x1 = in.integer("header X1", kCentred, kCentred), y1 = in.integer("header Y1", kCentred, kCentred);
    auto width = in.coordinate("width", 1), height = in.coordinate("height", 1);
    auto flags = in.integer("header flags", 0, 0);
    if (!type || !x1 || !y1 || !flags) return false;
    AddItem(dialog, {{kHeaderType, kCentred, kCentred, *width, *height, 0}}, {""}, {});
    return true;
}

}  // namespace

int32_t AddItem(TRegisteredDialog& Dialog, const std::vector<TItemFields>& Fields,
                const std::vector<std::string>& Texts, std::string_view Name) {
    const int32_t first = Dialog.ItemCount;
    const int32_t farIndex = first - 1;
    for (size_t i = 0; i < Fields.size(); ++i)
        Dialog.Items.push_back(makeItem(Fields[i], i < Texts.size() ? Texts[i] : std::string()));
    Dialog.ItemCount = static_cast<int32_t>(Dialog.Items.size());
    if (Fields.empty()) return farIndex;

    // Only edits, check boxes and radio groups name settings; labels and buttons name items.
    switch (Fields[0].Type) {
        case DI_TEXT: appendBinding(Dialog, first, kParamNone, DI_TEXT, Name); break;
        case DI_BUTTON: appendBinding(Dialog, first, kParamNone, DI_BUTTON, Name); break;
        case DI_EDIT: {
            auto value = boundValue<std::string>(Dialog, Name, "a text");
            appendBinding(Dialog, first, kParamSingle, DI_EDIT, Name, value);
            if (auto* text = std::get_if<std::string*>(&value)) Dialog.Items[first] = makeItem(Fields[0], **text);
            break;
        }
        case DI_CHECKBOX: {
            auto value = boundValue<bool>(Dialog, Name, "a yes/no value");
            appendBinding(Dialog, first, kParamSingle, DI_CHECKBOX, Name, value);
            if (auto* flag = std::get_if<bool*>(&value)) Dialog.Items[first].Selected = **flag ? 1 : 0;
            break;
        }
        case DI_RADIOBUTTON: {
            auto value = boundValue<int32_t>(Dialog, Name, "a number");
            appendBinding(Dialog, first, kParamRadio, DI_RADIOBUTTON, Name, value);
            if (auto* chosen = std::get_if<int32_t*>(&value))
                for (size_t j = 0; j < Fields.size(); ++j)
                    Dialog.Items[first + j].Selected = static_cast<int32_t>(j) == **chosen ? 1 : 0;
            break;
        }
        default: break;  // the header and boxes carry no binding
    }
    return farIndex;
}

bool RegisterDialog(TRegisteredDialog& Dialog, config::TRegistryConfig& Config, const TDialogDescription& Description,
                    std::string& error) {
    static const TDialogRecord kNoFields;
    return RegisterDialog(Dialog, Config, kNoFields, Description, error);
}

bool RegisterDialog(TRegisteredDialog& Dialog, config::TRegistryConfig& Config, const TDialogRecord& Record,
                    const TDialogDescription& Description, std::string& error) {
    clear(Dialog);
    Dialog.Config = &Config;
    Dialog.Record = &Record;
    DescriptionReader in(Description.values());
    bool ok = readHeader(in, Dialog);
    while (ok && !in.atEnd()) ok = readItem(in, Dialog);
    if (ok) return true;
    error = in.error();
    clear(Dialog);
    return false;
}

}  // namespace skimmer::dialogs
