#include "host/services/input_box.h"

#include <cstring>

#include "far/dialog.h"
#include "host/service_guard.h"
#include "host/ui/far_services.h"

namespace skimmer::host::services {

int FARAPI InputBox(const char* Title, const char* SubTitle, const char*, const char* SrcText, char* DestText,
                    int DestLength, const char* HelpTopic, DWORD Flags) {
    return guardedService<int>(FALSE, [&]() -> int {
        if (DestText == nullptr || DestLength <= 0) return FALSE;
        FarDialogItem items[4]{};
        items[0] = FarDialogItem{DI_DOUBLEBOX, 3, 1, 72, 4};
        items[1] = FarDialogItem{DI_TEXT, 5, 2, 70, 2};
        items[2] = FarDialogItem{(Flags & FIB_PASSWORD) ? DI_PSWEDIT : DI_EDIT, 5, 3, 70, 3};
        items[2].Focus = TRUE;
        items[2].DefaultButton = TRUE;
        items[3] = FarDialogItem{DI_TEXT, 0, 0, 0, 0};
        std::strncpy(items[0].Data, Title ? Title : "", sizeof items[0].Data - 1);
        std::strncpy(items[1].Data, SubTitle ? SubTitle : "", sizeof items[1].Data - 1);
        std::strncpy(items[2].Data, SrcText ? SrcText : "", sizeof items[2].Data - 1);
        const int exitCode = ui::DialogEx(-1, -1, -1, 76, 6, HelpTopic, items, 3, 0, 0, nullptr, 0);
        if (exitCode != 2) return FALSE;
        if (!(Flags & FIB_ENABLEEMPTY) && items[2].Data[0] == '\0') return FALSE;
        std::strncpy(DestText, items[2].Data, static_cast<size_t>(DestLength) - 1);
        DestText[DestLength - 1] = '\0';
        return TRUE;
    });
}

}  // namespace skimmer::host::services
