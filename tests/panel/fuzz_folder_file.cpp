// Fuzzes the search-folder file reader: any bytes give an answer (a node, a read-error flag, a
// magic flag) without a crash; the name always fits a panel item; writing the node and reading it
// back gives the same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "panel/folder_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace skimmer::panel;
    const TFolderFileRead read = ReadFolderFileText(std::string_view(reinterpret_cast<const char*>(data), size));
    const TFiles& node = *read.Node;
    if (node.Name.size() > kMaxNodeName || node.Name.find('\0') != std::string::npos) std::abort();
    // Single-line fields survive a write and a read exactly.
    if (node.Name.find_first_of("\r\n") == std::string::npos && node.query.find_first_of("\r\n") == std::string::npos &&
        node.Desc.find_first_of("\r\n") == std::string::npos && node.AQS.find_first_of("\r\n") == std::string::npos &&
        node.Max.find_first_of("\r\n") == std::string::npos) {
        const TFolderFileRead again = ReadFolderFileText(FolderFileText(node));
        if (again.ReadError || !again.MagicOk || again.Node->Name != node.Name || again.Node->query != node.query ||
            again.Node->Desc != node.Desc || again.Node->AQS != node.AQS || again.Node->Max != node.Max ||
            again.Node->Type != node.Type || again.Node->Advanced != node.Advanced ||
            again.Node->GroupsAsFolders != node.GroupsAsFolders)
            std::abort();
    }
    return 0;
}
