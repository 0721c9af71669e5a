// The settings file's JSON form: strict reading, canonical writing.

#include "model/JsonReader.h"
#include "model/LayoutJson.h"
#include "model/PlatformText.h"
#include "model/ProfileStore.h"
#include "model/Uuid.h"
#include "support/ReferenceJson.h"
#include "support/SettingsCorpus.h"

#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

using namespace stellwick;
using namespace stellwick::test;

namespace {

// Text as a desktop might hand it over: any UTF-16 code unit, with NUL, other
// controls, DEL, lone surrogates, a byte-order mark and escapes far likelier
// than by chance.
QString arbitraryText(QRandomGenerator& random, qsizetype length) {
    static constexpr char16_t specials[] = {0,      1,      0x1B,   u'\t',  u'\n',  u'\r',
                                            0x7F,   0x9B,   0xD800, 0xDBFF, 0xDC00, 0xDFFF,
                                            0x202E, 0xFEFF, u'"',   u'\\',  u'窓',  u'a'};
    QString text;
    text.reserve(length);
    for (qsizetype i = 0; i < length; ++i) {
        const bool special = random.bounded(3) != 0;
        text.append(QChar(special ? specials[random.bounded(int(std::size(specials)))]
                                  : char16_t(random.bounded(0x10000))));
    }
    return text;
}

StellwickState sampleState() {
    StellwickState state;
    LayoutProfile profile{*parseCanonicalUuid(u"6f9619ff-8b86-d011-b42d-00c04fc964ff"),
                          QStringLiteral("仕事"),
                          {},
                          std::nullopt};
    profile.placements.append(AppPlacement{QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                                           DisplayReference{7, std::nullopt, std::nullopt},
                                           NormalizedFrame{0.1, 0.2, 0.5, 0.25}, false, std::nullopt});
    state.profiles.append(profile);
    state.selectedProfileID = profile.id;
    return state;
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

} // namespace

class LayoutJsonTest : public QObject {
    Q_OBJECT

private slots:
    // Absent optionals are left out, not written as null; a file in this form
    // is rewritten byte for byte.
    void writesTheCanonicalForm() {
        const QByteArray written = *encodeState(sampleState());
        QVERIFY(!written.contains("null") && !written.contains("capturedWindowTitle"));
        QVERIFY(written.startsWith(
            "{\n  \"profiles\": [\n    {\n      \"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\""));
        const QByteArray original = canonicalSettingsFile();
        QCOMPARE(*encodeState(*decodeState(original)), original);
    }

    void doublesAndDatesRoundTripBitForBit() {
        const double values[] = {0.1 + 0.2, 5e-324, -0.0, 0.9999999999999999, 786297600.123456789};
        for (double v : values) {
            StellwickState state = sampleState();
            state.profiles[0].placements[0].frame = {v, v, v, v};
            state.profiles[0].modifiedAt = Date{v};
            const StellwickState back = *decodeState(*encodeState(state));
            const NormalizedFrame& f = back.profiles[0].placements[0].frame;
            QVERIFY2(sameBits(f.x, v) && sameBits(f.height, v), qPrintable(QString::number(v, 'g', 17)));
            QVERIFY(sameBits(back.profiles[0].modifiedAt->secondsSinceReferenceDate, v));
        }
    }

    // Nothing the product saves may make its own file unreadable: text from
    // the desktop, once cleaned, round-trips exactly; raw text (a profile name
    // typed in) is at worst cleaned, never refused.
    void arbitraryTextIsWrittenReadably() {
        QRandomGenerator random(20261206);
        for (int round = 0; round < 300; ++round) {
            const QString raw = arbitraryText(random, round == 0 ? 100 * 1024 : random.bounded(40));
            const QString clean = cleanedPlatformText(raw);
            QVERIFY(clean.isValidUtf16());
            QVERIFY(std::none_of(clean.begin(), clean.end(), [](QChar c) {
                return (c.unicode() < 0x20 && c != u'\t' && c != u'\n') || c.unicode() == 0x7F;
            }));
            StellwickState state = StellwickState::initialState(Date{});
            state.profiles[0].name = raw;
            state.profiles[0].placements.append(AppPlacement{clean, clean, DisplayReference{1, clean, clean},
                                                             NormalizedFrame{}, false, clean});
            const std::optional<StellwickState> loaded = decodeState(*encodeState(state));
            QVERIFY2(loaded && loaded->profiles[0].placements == state.profiles[0].placements,
                     qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    void uuidsAreReadInEitherCaseAndWrittenUpperCase() {
        QCOMPARE(parseCanonicalUuid(u"6f9619ff-8b86-d011-b42d-00c04fc964ff"),
                 parseCanonicalUuid(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"));
        for (const char16_t* bad :
             {u"6F9619FF8B86-D011-B42D-00C04FC964FF0", u"6F9619FF-8B86-D011-B42D-00C04FC964FF0"})
            QVERIFY(!parseCanonicalUuid(bad));
        const QUuid id = QUuid::createUuid();
        QCOMPARE(canonicalUuidString(id), id.toString(QUuid::WithoutBraces).toUpper());
    }

    // The file's own reader and writer agree with the general-purpose library:
    // the same inputs accepted with the same values, and output the library
    // writes back byte for byte.
    void theReaderAndWriterAgreeWithTheReferenceLibrary() {
        QByteArray deep = "{\"a\":";
        for (int i = 0; i < json::Document::maxDepth; ++i)
            deep += "[";
        const QByteArray tooDeep = deep + QByteArray(json::Document::maxDepth, ']') + "}"; // complete
        const QList<QByteArray> inputs{
            QByteArray("{}\0{\"a\":1}", 10),
            "[1]",
            "",
            "{} x",
            "{\"a\": 1e400}",
            "{\"a\": 4.9e-324}",
            "{\"a\": 01}",
            "{\"a\": 18446744073709551616}",
            "{\"a\": [1,]}",
            "{\"a\": \"\\ud83d\\ude00\"}",
            "{\"a\": \"\\ude00\"}",
            "{\"a\": \"\\u00e9\\u0000\\/\\b\\f\\n\\r\\t\\\"\\\\\"}",
            "{\"a\": \"\x1fn\"}", // a raw control character, then what could follow a backslash
            "{\"a\": \"\xc0\xaf\"}",
            "{\"a\": \"\xed\xa0\x80\"}",
            "\xef\xbb\xbf{\"a\": 1}",
            "{\"a\": 1, \"a\": \"two\"}",
            " \t\r\n{ \"a\" : [ true , false , null ] } \n",
            deep,
            tooDeep,
            canonicalSettingsFile()};
        for (const QByteArray& input : inputs) {
            const std::optional<json::Document> ours = json::Document::parse(input);
            const std::optional<nlohmann::json> reference = referenceParse(input);
            QVERIFY2(ours.has_value() == reference.has_value(), input.left(80).constData());
            if (ours)
                QVERIFY2(sameValue(ours->root(), *reference), input.left(80).constData());
        }

        StellwickState state = *decodeState(canonicalSettingsFile());
        state.profiles[0].name = QStringLiteral("\"引用\" \\ \x01\x1f\x7f\t\n/ \U0001F600");
        state.profiles[0].placements[0].frame = {1e-5, 123456789.125, 5e-324, -0.0};
        state.profiles[0].modifiedAt = Date{1e16};
        for (const StellwickState& written : {state, StellwickState::initialState(Date{})})
            QVERIFY(isReferencePretty(*encodeState(written)));
    }
};

QTEST_GUILESS_MAIN(LayoutJsonTest)
#include "tst_layoutjson.moc"
