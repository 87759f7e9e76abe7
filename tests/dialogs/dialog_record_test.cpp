// Registered dialogs over a record of the caller's own fields: the fields start the items, a
// read-back writes the items into them and never into the settings table, a name the record
// binds shadows a setting of the same name, and a field of the wrong kind is reported, not bound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dialogs/dialog_record.h"
#include "dialogs/registered_dialog.h"

namespace skimmer::dialogs {
namespace {

using config::TConfigValue;

struct Fields {
    std::string text = "typed";
    bool flag = true;
    int32_t mode = 1;
    TDialogRecord record() {
        TDialogRecord r;
        r.text("FText", text).flag("FFlag", flag).choice("FMode", mode);
        return r;
    }
};

// A table whose "FText" is also a setting, so shadowing shows.
struct Table {
    Table() {
        config::configAddValue(config, "FText", config::cvkString, true, TConfigValue::str("setting"));
        config.reportError_ = [this](const std::string& e) { errors.push_back(e); };
    }
    config::TRegistryConfig config;
    std::vector<std::string> errors;
};

TDialogDescription recordDialog() {
    TDialogDescription table(40, 10);
    table.edit(5, 2, 20, 0, "FText").checkBox(5, 3, 0, "&Flag", "FFlag");
    table.radioGroup("FMode", {{5, 4, 0, "&A"}, {5, 5, 0, "&B"}});
    return table;
}

TEST(DialogRecord, FieldsStartTheItemsAndReadBackWritesOnlyTheFields) {
    Table t;
    Fields fields;
    const TDialogRecord record = fields.record();
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, t.config, record, recordDialog(), error)) << error;
    EXPECT_STREQ(dialog.Items[1].Data, "typed") << "the record's field, not the setting of that name";
    EXPECT_EQ(dialog.Items[2].Selected, 1);
    EXPECT_EQ(dialog.Items[4].Selected, 1);  // the second option
    std::strcpy(dialog.Items[1].Data, "changed");
    dialog.Items[2].Selected = 0;
    dialog.Items[3].Selected = 1;
    dialog.Items[4].Selected = 0;
    ReadBackValues(dialog);
    EXPECT_EQ(fields.text, "changed");
    EXPECT_FALSE(fields.flag);
    EXPECT_EQ(fields.mode, 0);
    TConfigValue setting;
    ASSERT_TRUE(config::getConfigValue(t.config, "FText", setting));
    EXPECT_EQ(setting, TConfigValue::str("setting"));
    EXPECT_TRUE(t.errors.empty());
}

TEST(DialogRecord, BoundValueIsTheFieldAnItemWritesInto) {
    Table t;
    Fields fields;
    const TDialogRecord record = fields.record();
    TRegisteredDialog dialog;
    std::string error;
    ASSERT_TRUE(RegisterDialog(dialog, t.config, record, recordDialog(), error)) << error;
    EXPECT_EQ(std::get<std::string*>(BoundValue(dialog, "FText")), &fields.text);
    EXPECT_EQ(std::get<bool*>(BoundValue(dialog, "FFlag")), &fields.flag);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(BoundValue(dialog, "nothing")));
}

TEST(DialogRecord, AFieldOfAnotherKindIsReportedAndLeftUnbound) {
    Table t;
    Fields fields;
    TDialogRecord record;
    record.flag("FText", fields.flag);  // an edit over a yes/no field
    TRegisteredDialog dialog;
    std::string error;
    TDialogDescription table(40, 10);
    table.edit(5, 2, 20, 0, "FText");
    ASSERT_TRUE(RegisterDialog(dialog, t.config, record, table, error)) << error;
    ASSERT_EQ(t.errors.size(), 1u);
    EXPECT_NE(t.errors[0].find("\"FText\" does not hold a text"), std::string::npos);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(BoundValue(dialog, "FText")));
}

}  // namespace
}  // namespace skimmer::dialogs
