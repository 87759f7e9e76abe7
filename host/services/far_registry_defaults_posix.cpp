#include "host/services/far_registry_defaults.h"

#include "far/default_palette.h"

namespace skimmer::host::services {
namespace {

constexpr uint32_t kHidden = 0x02;     // FILE_ATTRIBUTE_HIDDEN
constexpr uint32_t kSystem = 0x04;     // FILE_ATTRIBUTE_SYSTEM
constexpr uint32_t kDirectory = 0x10;  // FILE_ATTRIBUTE_DIRECTORY

struct Group {
    const char* mask;
    uint32_t ignoreMask;
    uint32_t includeAttributes;
    uint32_t normalColor;
    uint32_t cursorColor;
};

// FAR 1.70's groups in FAR's order. The executables' mask is FAR's with %PATHEXT% as Windows NT
// fills it: there is no such variable here, and a mask naming it would match nothing.
constexpr Group kGroups[] = {
    {"*.*", 0, kHidden, 0x13, 0x38},
    {"*.*", 0, kSystem, 0x13, 0x38},
    {"*.*|..", 0, kDirectory, 0x1F, 0x3F},
    {"..", 0, kDirectory, 0, 0},
    {"*.exe,*.com,*.bat,*.cmd", 0, 0, 0x1A, 0x3A},
    {"*.rar,*.zip,*.[zj],*.[bg7]z,*.[bg]zip,*.tar,*.t[ag]z,*.ar[cj],*.r[0-9][0-9],*.a[0-9][0-9],*.bz2,*.cab,"
     "*.msi,*.jar,*.lha,*.lzh,*.ha,*.ac[bei],*.pa[ck],*.rk,*.cpio,*.rpm,*.zoo,*.hqx,*.sit,*.ice,*.uc2,*.ain,"
     "*.imp,*.777,*.ufa,*.boa,*.bs[2a],*.sea,*.hpk,*.ddi,*.x2,*.rkv,*.[lw]sz,*.h[ay]p,*.lim,*.sqz,*.chz",
     0, 0, 0x1D, 0x3D},
    {"*.bak,*.tmp", 0, 0, 0x16, 0x36},
    {"*.*", 1, kDirectory, 0x1F, 0x3F},
};

std::string join(std::string_view a, std::string_view b) { return std::string(a) + "\\" + std::string(b); }

std::vector<RegistryDefault> missingDefaults(os::Hive& hive, std::string_view root) {
    std::vector<RegistryDefault> missing;
    const std::string colors = join(root, "Colors");
    auto colorsKey = hive.openKey(colors);
    if (!colorsKey || !colorsKey->readValue("CurrentPalette")) {
        const auto& p = skimmer::farapi::kFarDefaultPalette;
        missing.push_back({colors, "CurrentPalette",
                           os::RegValue::binary(std::string_view(reinterpret_cast<const char*>(p.data()), p.size()))});
    }
    if (!hive.openKey(join(colors, "Highlight"))) {
        auto groups = defaultHighlightGroups(root);
        missing.insert(missing.end(), groups.begin(), groups.end());
    }
    const std::string tmpPanel = join(root, "Plugins\\TmpPanel");
    auto tmpKey = hive.openKey(tmpPanel);
    if (!tmpKey || !tmpKey->readValue("Prefix")) missing.push_back({tmpPanel, "Prefix", os::RegValue::string("tmp")});
    return missing;
}

os::RegStatus writeValue(os::Hive& hive, const RegistryDefault& d) {
    auto key = hive.createKey(d.key);
    if (!key) return {false, "cannot create the registry key " + d.key};
    switch (d.value.type) {
    case os::RegType::String: return key->writeString(d.name, d.value.data);
    case os::RegType::Binary: return key->writeBinary(d.name, d.value.data);
    case os::RegType::Dword: {
        uint32_t v = 0;
        for (size_t i = 0; i < 4 && i < d.value.data.size(); ++i)
            v |= static_cast<uint32_t>(static_cast<unsigned char>(d.value.data[i])) << (8 * i);
        return key->writeDword(d.name, v);
    }
    }
    return {false, "an unknown registry value type"};
}

}  // namespace

std::vector<RegistryDefault> defaultHighlightGroups(std::string_view root) {
    std::vector<RegistryDefault> out;
    const std::string base = join(root, "Colors\\Highlight");
    int n = 0;
    for (const auto& g : kGroups) {
        const std::string key = base + "\\Group" + std::to_string(n++);
        out.push_back({key, "Mask", os::RegValue::string(g.mask)});
        const std::pair<const char*, uint32_t> dwords[] = {{"IgnoreMask", g.ignoreMask},
                                                           {"IncludeAttributes", g.includeAttributes},
                                                           {"NormalColor", g.normalColor},
                                                           {"CursorColor", g.cursorColor}};
        for (auto [name, value] : dwords) {
            if (value != 0) out.push_back({key, name, os::RegValue::dword(value)});
        }
    }
    return out;
}

DefaultsOutcome writeFarRegistryDefaults(os::Hive& hive, std::string_view root) {
    DefaultsOutcome outcome;
    auto missing = missingDefaults(hive, root);
    if (missing.empty()) return outcome;  // nothing to add: the file stays as it is
    os::Hive::Batch batch(hive);
    for (const auto& d : missing) {
        if (auto s = writeValue(hive, d); !s) {
            outcome.status = s;
            return outcome;  // the batch is discarded: nothing half-written
        }
    }
    outcome.status = batch.commit();
    if (outcome.status) outcome.valuesWritten = missing.size();
    return outcome;
}

}  // namespace skimmer::host::services
