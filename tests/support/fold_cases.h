// One table of names and typed words for the case fold (os/utf8.h), shared by every suite that
// matches with it: the fold itself (tests/os), the index's search (tests/index/query) and the
// search window's keyword marks (tests/search). Each row says what the name folds to and which of
// its characters the word matches, so the three can never drift apart.
#pragma once

#include <ostream>
#include <string>

namespace skimmer::test {

struct FoldCase {
    const char* label;
    std::string name;    // as stored in the file system
    std::string word;    // as typed: one word, no blanks or query syntax
    std::string folded;  // the name folded
    int first;           // the first character of `name` the word matches; -1: it does not match
    int count;           // characters of `name` the match covers
};

inline std::ostream& operator<<(std::ostream& out, const FoldCase& c) { return out << c.label; }

// The labels are gtest names: letters, digits and '_' only.
inline const FoldCase kFoldCases[] = {
    {"ascii", "ReadMe.TXT", "README", "readme.txt", 0, 6},
    {"latin1", "Café-MENÜ", "cafÉ-menü", "café-menü", 0, 9},
    {"latin_extended_a", "ŁÓDŹ-Žižkov", "žIŽ", "łódź-žižkov", 5, 3},
    {"greek_with_final_sigma", "ΟΔΟΣ_Αθήνα", "οδος", "οδοσ_αθήνα", 0, 4},
    {"greek_tonos", "ΆΈΉΊΌΎΏ", "άέήίόύώ", "άέήίόύώ", 0, 7},
    {"greek_symbol_letters", "ϐϑϕϖϰϱϵϴ", "βθφπκρεθ", "βθφπκρεθ", 0, 8},
    {"cyrillic", "Ёлка_ЖУРНАЛ", "журнал", "ёлка_журнал", 5, 6},
    {"cyrillic_supplement", "ЀЏѢҐӁ", "ѐџѣґӂ", "ѐџѣґӂ", 0, 5},
    {"capital_sharp_s_folds_to_sharp_s", "STRAẞE", "straße", "straße", 0, 6},
    {"sharp_s_never_becomes_ss", "Straße", "STRASSE", "straße", -1, 0},
    {"long_s", "Meſſe", "MESSE", "messe", 0, 5},
    {"micro_sign", "µm-Scale", "μM", "μm-scale", 0, 2},
    {"dotted_capital_i", "İstanbul", "ISTANBUL", "istanbul", 0, 8},
    {"dotless_i_is_a_letter_of_its_own", "Kırmızı", "KIRMIZI", "kırmızı", -1, 0},
    {"dotless_i_typed", "IŞIK", "ış", "işik", -1, 0},
    {"kelvin_sign_shrinks_but_marks_stay_exact", "300\u212A-ſſ-İİabc", "ABC", "300k-ss-iiabc", 10, 3},
    {"not_utf8_bytes_stand_for_themselves", "A\xFF" "B\xC3", "a\xFF" "b", "a\xFF" "b\xC3", 0, 3},
    {"other_scripts_are_left_alone", "水Աb", "水աB", "水Աb", -1, 0},
};

}  // namespace skimmer::test
