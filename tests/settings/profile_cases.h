// Read and write sequences run both by the Windows profile functions (under Wine) and by our
// layer. Results must agree, except where a case names why we hold otherwise; there the case
// also says what our layer gives, and the test checks that Windows really differs.
// Compiled by the native test and by the Windows reference program: standard C++ only.
#pragma once

#include <string_view>
#include <vector>

namespace profile_cases {

using namespace std::string_view_literals;

struct Step {
    char op; // 'i' integer read, 's' text read into 80 bytes, 'w' write
    std::string_view section;
    std::string_view key;
    std::string_view text;      // 's': the default; 'w': the value
    int fallback = 0;           // 'i': the default
    std::string_view ours = {}; // where we differ on this step: our result, as the result line
};

struct Case {
    std::string_view name;
    bool hasFile;
    std::string_view initial;
    std::vector<Step> steps;
    std::string_view why = {};      // set when any step or the file differs from Windows
    std::string_view oursFile = {}; // where the file differs: the bytes we leave
};

constexpr std::string_view kLong100 = "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                                      "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
                                      "xxxx";

inline std::vector<Case> allCases() {
    return {
        {"no-file",
         false,
         "",
         {{'i', "Watch", "WatchTime", "", 600}, {'s', "Standard", "StartTime", "2300"}}},
        {"first-write-creates-file",
         false,
         "",
         {{'w', "Watch", "Watch", "1"},
          {'w', "Watch", "WatchTime", "600"},
          {'i', "watch", "watchtime", "", 5}}},
        {"comments-and-blank-lines-read",
         true,
         "; settings\r\n\r\n[a]\r\n; x=9\r\nx=1\r\n\r\n;tail\r\n[b]\r\ny=2\r\n",
         {{'i', "a", "x", "", 7}, {'s', "a", "; x", "d"}, {'i', "b", "y", "", 7}}},
        {"comments-and-blank-lines-kept-on-write",
         true,
         "; settings\r\n\r\n[a]\r\nx=1\r\n\r\n; tail\r\n\r\n[b]\r\ny=2\r\n",
         {{'w', "a", "z", "3"}, {'w', "b", "y", "4"}, {'i', "a", "z", "", 0}},
         "other lines kept byte for byte (Wine rewrites the file without its blank lines)",
         "; settings\r\n\r\n[a]\r\nx=1\r\n\r\n; tail\r\nz=3\r\n\r\n[b]\r\ny=4\r\n"},
        {"mixed-case-names",
         true,
         "[Standard]\r\nAutoStart=0\r\nSTime=5\r\n",
         {{'i', "STANDARD", "autostart", "", 9},
          {'s', "standard", "stime", ""},
          {'w', "sTaNdArD", "AUTOSTART", "1"},
          {'w', "STANDARD", "NewKey", "x"}}},
        {"duplicate-keys-first-wins",
         true,
         "[a]\r\nx=1\r\nX=2\r\n",
         {{'i', "a", "x", "", 0}, {'w', "a", "x", "3"}, {'s', "a", "x", ""}}},
        {"duplicate-sections-first-wins",
         true,
         "[a]\r\nx=1\r\n[b]\r\n[A]\r\nx=3\r\ny=4\r\n",
         {{'i', "a", "x", "", 0},
          {'i', "a", "y", "", 7},
          {'w', "a", "y", "5"},
          {'i', "A", "y", "", 7}}},
        {"lines-before-first-section",
         true,
         "top=1\r\nstray line\r\n[a]\r\nx=2\r\n",
         {{'s', "", "top", "d"},
          {'s', "a", "top", "d"},
          {'w', "a", "top", "3"},
          {'s', "", "top", "d"}}},
        {"blanks-around-names-read",
         true,
         "  [ a ]  \r\n  Key  =  val  \r\n\tTab\t=\tv\t\r\n[b] junk\r\ny=2\r\n",
         {{'s', "a", "key", ""},
          {'s', "a", "tab", ""},
          {'s', " a ", " key ", ""},
          {'i', "b", "y", "", 0}}},
        {"blanks-around-names-replaced-line",
         true,
         "[a]\r\n  Key  =  old  \r\nz=1\r\n",
         {{'w', "a", "key", "new"}, {'s', "a", "key", ""}}},
        {"quoted-values",
         true,
         "[q]\r\nd=\"x\"\r\ns='x'\r\nopen=\"a\r\ninner=\"a\"b\"\r\nsp=\" sp \"\r\nempty=\"\"\r\n"
         "n=\"12\"\r\nmixed=\"x'\r\n",
         {{'s', "q", "d", ""},
          {'s', "q", "s", ""},
          {'s', "q", "open", ""},
          {'s', "q", "inner", ""},
          {'s', "q", "sp", ""},
          {'s', "q", "empty", "d"},
          {'i', "q", "n", "", 0},
          {'s', "q", "mixed", ""}}},
        {"integers",
         true,
         "[n]\r\nneg=-7\r\nsuffix=42A\r\nplus=+1\r\nspaced=  12  \r\nminus=-\r\nsplit=- 5\r\n"
         "double=--3\r\nword=abc\r\nbig=70000\r\nmax=2147483647\r\nmin=-2147483648\r\n",
         {{'i', "n", "neg", "", 9},
          {'i', "n", "suffix", "", 9},
          {'i', "n", "plus", "", 9},
          {'i', "n", "spaced", "", 9},
          {'i', "n", "minus", "", 9},
          {'i', "n", "split", "", 9},
          {'i', "n", "double", "", 9},
          {'i', "n", "word", "", 9},
          {'i', "n", "big", "", 9},
          {'i', "n", "max", "", 9},
          {'i', "n", "min", "", 9}}},
        {"empty-integer-reads-zero",
         true,
         "[n]\r\nempty=\r\nblank=   \r\n",
         {{'i', "n", "empty", "", 9, "0"},
          {'i', "n", "blank", "", 9, "0"},
          {'s', "n", "empty", "d"}},
         "an empty integer value reads as 0, not as the default"},
        {"hex-prefix-is-not-decimal",
         true,
         "[n]\r\nhex=0x10\r\n",
         {{'i', "n", "hex", "", 9, "0"}},
         "only decimal digits count: \"0x10\" is 0, not 16"},
        {"integer-overflow-is-not-wrapped",
         true,
         "[n]\r\nwrap=4294967296\r\nhuge=99999999999\r\nlow=-2147483649\r\n",
         {{'i', "n", "wrap", "", 9, "4294967296"},
          {'i', "n", "huge", "", 9, "99999999999"},
          {'i', "n", "low", "", 9, "-2147483649"}},
         "numbers are read whole, so that a range check sees them (Windows wraps them to 32 bits)"},
        {"values-longer-than-79-bytes",
         true,
         "[l]\r\nv100="
         "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
         "xxxxxxxxxx\r\n"
         "v80=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n"
         "v79=xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\r\n"
         "odd=x\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\r\n",
         {{'s', "l", "v100", ""},
          {'s', "l", "v80", ""},
          {'s', "l", "v79", ""},
          {'s', "l", "odd", ""},
          {'s', "l", "missing", kLong100}}},
        {"long-value-never-cut-inside-a-character",
         true,
         "[l]\r\neven="
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0"
         "\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\x82\xa0\r\n",
         {{'s', "l", "even", "", 0,
           "82a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a0"
           "82a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a082a0"}},
         "a cut falls before a two-byte character, not inside it (Windows leaves a byte "
         "unwritten)"},
        {"cr-only-line-ends",
         true,
         "[a]\rx=1\ry=2\r[b]\rz=3",
         {{'i', "a", "y", "", 0},
          {'i', "b", "z", "", 0},
          {'w', "a", "w", "4"},
          {'i', "a", "w", "", 0}},
         "other lines keep their line ends (Wine rewrites them as CR LF)",
         "[a]\rx=1\ry=2\rw=4\r\n[b]\rz=3"},
        {"lf-only-line-ends",
         true,
         "[a]\nx=1\ny=2\n[b]\nz=3\n",
         {{'i', "a", "y", "", 0},
          {'i', "b", "z", "", 0},
          {'w', "b", "z", "5"},
          {'i', "b", "z", "", 0}},
         "other lines keep their line ends (Wine rewrites them as CR LF)",
         "[a]\nx=1\ny=2\n[b]\nz=5\n"},
        {"missing-final-line-end",
         true,
         "[a]\r\nx=1",
         {{'i', "a", "x", "", 0}, {'w', "a", "y", "2"}, {'w', "b", "z", "3"}}},
        {"missing-final-line-end-new-section",
         true,
         "[a]\r\nx=1",
         {{'w', "b", "z", "3"}, {'i', "b", "z", "", 0}}},
        {"write-into-empty-file", true, "", {{'w', "Standard", "Ver", "x"}}},
        {"write-keeps-later-sections",
         true,
         "[a]\r\nx=1\r\n[b]\r\ny=2\r\n[c]\r\nz=3\r\n",
         {{'w', "b", "y", "22"},
          {'w', "b", "n", "new"},
          {'w', "c", "z", ""},
          {'s', "c", "z", "d"}}},
        {"key-without-equals",
         true,
         "[a]\r\nx\r\nx=1\r\n",
         {{'s', "a", "x", "d"}, {'i', "a", "x", "", 7}}},
        {"key-without-equals-replaced",
         true,
         "[a]\r\nx\r\ny=1\r\n",
         {{'w', "a", "x", "2"}, {'i', "a", "x", "", 7}}},
        {"inline-comment-is-part-of-value",
         true,
         "[a]\r\nk=1 ; note\r\n",
         {{'s', "a", "k", ""}, {'i', "a", "k", "", 7}}},
        {"wide-blanks-are-not-trimmed",
         true,
         "[a]\r\nk=\x81\x40v\x81\x40\r\n",
         {{'s', "a", "k", ""}}},
        {"nul-inside-value",
         true,
         "[a]\r\nk=ab\0cd\r\nm=1\r\n"sv,
         {{'s', "a", "k", ""}, {'i', "a", "m", "", 7}}},
        {"value-written-unchanged",
         true,
         "[a]\r\nk=1\r\n",
         {{'w', "a", "k", "  spaced value  "}, {'s', "a", "k", ""}},
         "a text is written unchanged (Wine drops its leading blanks)",
         "[a]\r\nk=  spaced value  \r\n"},
        {"two-byte-names",
         true,
         "[a\x81]]\r\n\x83\x41=1\r\n\x95\\=2\r\n",
         {{'i', "a\x81]", "\x83\x41", "", 0},
          {'i', "a\x81]", "\x83\x61", "", 7},
          {'s', "A\x81]", "\x95\\", ""},
          {'w', "a\x81]", "\x95\\", "3"}}},
        {"half-width-katakana-value",
         true,
         "[Standard]\r\n",
         {{'w', "Standard", "Ver", "\xca\xde\xb0\xbc\xde\xae\xdd 1.2.0"},
          {'s', "Standard", "Ver", ""}}},
        {"invalid-bytes-kept-on-write",
         true,
         "[a]\r\nlone=a\x82\r\nodd=\x80\xa0\xfd\xff\r\n",
         {{'s', "a", "odd", ""}, {'w', "a", "k", "1"}},
         "other lines kept byte for byte (Wine replaces a lone lead byte on rewrite)",
         "[a]\r\nlone=a\x82\r\nodd=\x80\xa0\xfd\xff\r\nk=1\r\n"},
    };
}

} // namespace profile_cases
