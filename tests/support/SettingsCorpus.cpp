#include "support/SettingsCorpus.h"

namespace stellwick::test {
namespace {

const QByteArray profileId = "6F9619FF-8B86-D011-B42D-00C04FC964FF";

QByteArray replaced(QByteArray text, const QByteArray& from, const QByteArray& to) {
    if (!text.contains(from))
        qFatal("corpus: '%s' not in the base file", from.constData());
    return text.replace(from, to);
}

} // namespace

QByteArray canonicalSettingsFile() {
    return R"({
  "profiles": [
    {
      "id": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
      "modifiedAt": 786297600.1234567,
      "name": "仕事",
      "placements": [
        {
          "applicationName": "Editor",
          "arrangeOnLaunch": true,
          "bundleIdentifier": "org.example.Editor",
          "capturedWindowTitle": "main.cpp",
          "display": {
            "id": 1,
            "name": "DP-1",
            "uuid": "37D8832A-2D66-02CA-B9F7-8F30A301B230"
          },
          "frame": {
            "height": 0.5,
            "width": 0.3333333333333333,
            "x": 0.1,
            "y": 0.30000000000000004
          }
        }
      ]
    }
  ],
  "selectedProfileID": "6F9619FF-8B86-D011-B42D-00C04FC964FF",
  "version": 1
})";
}

std::vector<SettingsFile> usableSettingsFiles() {
    const QByteArray base = canonicalSettingsFile();
    return {
        {"canonical", base},
        {"lower-case UUIDs", QByteArray(base).replace(profileId, profileId.toLower())},
        {"extra keys everywhere",
         replaced(replaced(replaced(base, "\"version\": 1", "\"version\": 1, \"theme\": {\"dark\": [1, 2]}"),
                           "\"id\": 1,", "\"id\": 1, \"scale\": 2,"),
                  "\"name\": \"仕事\",", "\"name\": \"仕事\", \"colour\": null,")},
        {"null optionals",
         replaced(replaced(replaced(base, "\"modifiedAt\": 786297600.1234567", "\"modifiedAt\": null"),
                           "\"capturedWindowTitle\": \"main.cpp\"", "\"capturedWindowTitle\": null"),
                  "\"name\": \"DP-1\"", "\"name\": null")},
        {"missing optionals", replaced(replaced(base, "\"modifiedAt\": 786297600.1234567,", ""),
                                       "\"capturedWindowTitle\": \"main.cpp\",", "")},
        {"largest display id", replaced(base, "\"id\": 1,", "\"id\": 4294967295,")},
        {"display id zero", replaced(base, "\"id\": 1,", "\"id\": 0,")},
        {"integer fractions and dates",
         replaced(replaced(base, "\"height\": 0.5", "\"height\": 1"), "786297600.1234567", "786297600")},
        {"duplicate bundle identifiers",
         replaced(base, "\"placements\": [",
                  "\"placements\": [{\"applicationName\": \"Twin\", \"arrangeOnLaunch\": false, "
                  "\"bundleIdentifier\": \"org.example.Editor\", \"display\": {\"id\": 2}, "
                  "\"frame\": {\"x\": 0, \"y\": 0, \"width\": 1, \"height\": 1}},")},
        {"compact whitespace", R"({"version":1,"selectedProfileID":")" + profileId +
                                   R"(","profiles":[{"id":")" + profileId +
                                   R"(","name":"n","placements":[]}]})"},
    };
}

std::vector<SettingsFile> unusableSettingsFiles() {
    const QByteArray base = canonicalSettingsFile();
    QByteArray deep;
    for (int i = 0; i < 100000; ++i)
        deep += "[";
    return {
        {"empty", ""},
        {"not JSON", "profiles = default"},
        {"array root", "[" + base + "]"},
        {"object of another shape", R"({"windows": []})"},
        {"version 2", replaced(base, "\"version\": 1", "\"version\": 2")},
        {"version as float", replaced(base, "\"version\": 1", "\"version\": 1.0")},
        {"version as string", replaced(base, "\"version\": 1", "\"version\": \"1\"")},
        {"empty profile list",
         R"({"profiles": [], "selectedProfileID": ")" + profileId + R"(", "version": 1})"},
        {"dangling selection",
         replaced(base, "\"selectedProfileID\": \"6F9619FF", "\"selectedProfileID\": \"7F9619FF")},
        {"missing arrangeOnLaunch", replaced(base, "\"arrangeOnLaunch\": true,", "")},
        {"mistyped arrangeOnLaunch",
         replaced(base, "\"arrangeOnLaunch\": true", "\"arrangeOnLaunch\": \"true\"")},
        {"mistyped name", replaced(base, "\"name\": \"仕事\"", "\"name\": 7")},
        {"mistyped frame value", replaced(base, "\"x\": 0.1", "\"x\": \"0.1\"")},
        {"mistyped optional",
         replaced(base, "\"capturedWindowTitle\": \"main.cpp\"", "\"capturedWindowTitle\": 3")},
        {"mistyped modifiedAt", replaced(base, "786297600.1234567", "\"yesterday\"")},
        {"display id -1", replaced(base, "\"id\": 1,", "\"id\": -1,")},
        {"display id 4294967296", replaced(base, "\"id\": 1,", "\"id\": 4294967296,")},
        {"display id fractional", replaced(base, "\"id\": 1,", "\"id\": 1.5,")},
        {"missing display", replaced(base, "\"display\": {", "\"screen\": {")},
        {"malformed UUID", replaced(base, "\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"",
                                    "\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964F\"")},
        {"trailing garbage", base + "\n}"},
        {"NUL byte after the document", base + QByteArray(1, '\0') + "junk"},
        {"escaped NUL in a name", replaced(base, "\"name\": \"仕事\"", "\"name\": \"仕\\u0000事\"")},
        {"invalid UTF-8", replaced(base, "\"name\": \"仕事\"", "\"name\": \"\xff\xfe\"")},
        {"number out of range", replaced(base, "\"x\": 0.1", "\"x\": 1e999")},
        {"very deep nesting", replaced(base, "\"version\": 1", "\"version\": 1, \"x\": " + deep)},
    };
}

} // namespace stellwick::test
