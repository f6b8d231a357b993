// What the real program does with bad data, one case per row of the "When the data is wrong" table: the
// exact message and the exit code. Faults of the archive, a missing entry and a scene without a node a part
// needs end the run with 255; faults the demo can live with are reported and the run goes on (it is ended
// with SIGTERM, which must give a clean exit 0).
#include "ogg_tone.h"
#include "program_run.h"
#include "test_production.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <functional>

namespace {

constexpr int kRecordBytes = 44;

// Where record i of the table starts in the archive bytes (the table ends the file).
size_t recordOffset(const std::vector<uint8_t>& bytes, int index) {
    const int count = bytes[6] | bytes[7] << 8;
    return bytes.size() - size_t(kRecordBytes) * size_t(count - index);
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

uint32_t getLe32(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

ArchiveInput& entryNamed(std::vector<ArchiveInput>& entries, const std::string& name) {
    for (ArchiveInput& entry : entries) {
        if (entry.name == name) return entry;
    }
    ADD_FAILURE() << "the test production has no " << name;
    return entries.front();
}

std::string textOf(const ArchiveInput& entry) { return std::string(entry.data.begin(), entry.data.end()); }

void setText(ArchiveInput& entry, const std::string& text) { entry.data.assign(text.begin(), text.end()); }

std::vector<uint8_t> build(const std::vector<ArchiveInput>& entries) {
    std::string error;
    std::vector<uint8_t> bytes = archiveBytes(entries, error);
    EXPECT_TRUE(error.empty()) << error;
    return bytes;
}

std::vector<uint8_t> productionBytes() { return build(testProductionEntries()); }

// The production with the first scene stored LZMA-compressed, to damage its stream.
std::vector<uint8_t> productionWithLzmaScene() {
    std::vector<ArchiveInput> entries = testProductionEntries();
    entries.front().method = ArchiveMethod::Lzma;
    return build(entries);
}

ProgramRun runTomblora(const std::vector<uint8_t>* archive, int signalAfterMs = 0) {
    ScratchFolder folder;
    EXPECT_FALSE(folder.path().empty());
    if (archive != nullptr) {
        EXPECT_TRUE(folder.writeArchive(*archive));
    }
    RunPlan plan;
    if (signalAfterMs > 0) {
        plan.signalNumber = SIGTERM;
        plan.signalAfterMs = signalAfterMs;
    }
    ProgramRun run = runProgram(TOMBLORA_PATH, folder.path(), plan);
    EXPECT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut) << "stdout:\n" << run.out << "stderr:\n" << run.err;
    return run;
}

void expectFatal(const ProgramRun& run, const std::string& line) {
    EXPECT_EQ(run.exitCode, 255) << "signal " << run.termSignal << "\nstderr:\n" << run.err;
    EXPECT_TRUE(hasLine(run.err, line)) << "wanted on stderr: " << line << "\nstderr:\n" << run.err;
}

// The program must still be playing a few seconds in; the signal then ends it through the shutdown.
constexpr int kRunsOnMs = 3000;

void expectRunsOn(const ProgramRun& run) {
    EXPECT_TRUE(run.runningWhenSignalled) << "it ended by itself\nstdout:\n" << run.out << "stderr:\n" << run.err;
    EXPECT_EQ(run.exitCode, 0) << "signal " << run.termSignal << "\nstderr:\n" << run.err;
}

struct FatalCase {
    const char* what;
    std::function<std::vector<uint8_t>()> archive;
    std::string message; // the exact line on standard error
};

std::vector<uint8_t> withByte(std::vector<uint8_t> bytes, size_t at, uint8_t value) {
    bytes[at] = value;
    return bytes;
}

std::vector<uint8_t> withRecordField(std::vector<uint8_t> bytes, int index, size_t field, uint32_t value) {
    putLe32(bytes, recordOffset(bytes, index) + field, value);
    return bytes;
}

// The size of the first entry, the harvester scene, stored as is.
uint32_t firstSceneSize() { return uint32_t(testSceneText("harvester.xsi").size()); }

} // namespace

TEST(BadInput, MissingArchiveShowsBothMessagesAndExits255) {
    ProgramRun run = runTomblora(nullptr);
    expectFatal(run, "Resource file \"tomblora.salad\" not found");
    expectFatal(run, "Resource \"default.png\" not found");
    EXPECT_LT(run.err.find("Resource file"), run.err.find("Resource \"default.png\""));
}

TEST(BadInput, FatalFaultsOfTheArchiveAndItsContent) {
    const uint32_t sceneSize = firstSceneSize();
    const std::vector<FatalCase> cases = {
        {"missing entry",
         [] {
             std::vector<ArchiveInput> entries = testProductionEntries();
             std::erase_if(entries, [](const ArchiveInput& entry) { return entry.name == "ledge.xsi"; });
             return build(entries);
         },
         "Resource \"ledge.xsi\" not found"},
        {"scene lacking a node",
         [] {
             TestProductionOptions options;
             options.omitScene = "escape.xsi";
             options.omitNode = "Osprey_Hull";
             return build(testProductionEntries(options));
         },
         "Scene \"escape.xsi\" has no node \"Osprey_Hull\""},
        {"file shorter than the header", [] { return std::vector<uint8_t>{'S', 'A', 'L', 'A', 'D'}; },
         "tomblora.salad: file of 5 bytes ends inside the 12-byte header"},
        {"wrong magic", [] { return withByte(productionBytes(), 0, 'X'); },
         "tomblora.salad: not an archive: the header does not start with \"SALAD\""},
        {"entry count over 100", [] { return withByte(productionBytes(), 6, 101); },
         "tomblora.salad: entry count 101 is outside 0 to 100"},
        {"negative entry count", [] { return withByte(withByte(productionBytes(), 6, 0xFF), 7, 0xFF); },
         "tomblora.salad: entry count -1 is outside 0 to 100"},
        {"table larger than the file",
         [] { return std::vector<uint8_t>{'S', 'A', 'L', 'A', 'D', 1, 1, 0, 0, 0, 0, 0}; },
         "tomblora.salad: entry table of 1 records (44 bytes) does not fit in the file of 12 bytes"},
        {"negative size", [] { return withRecordField(productionBytes(), 0, 4, uint32_t(-5)); },
         "tomblora.salad: entry \"harvester.xsi\": size -5 is negative"},
        {"negative stored size", [] { return withRecordField(productionBytes(), 0, 0, uint32_t(-7)); },
         "tomblora.salad: entry \"harvester.xsi\": stored size -7 is negative"},
        {"size over the 1 GiB limit",
         [] { return withRecordField(productionBytes(), 0, 4, 0x40000001u); },
         "tomblora.salad: entry \"harvester.xsi\": size 1073741825 brings the decoded total past the 1 GiB limit"},
        {"stored blob shorter than its size",
         [sceneSize] { return withRecordField(productionBytes(), 0, 4, sceneSize + 1); },
         "tomblora.salad: entry \"harvester.xsi\": stored blob of " + std::to_string(sceneSize) +
             " bytes is shorter than its size " + std::to_string(sceneSize + 1)},
        {"LZMA blob shorter than its header",
         [] {
             std::vector<uint8_t> bytes = withRecordField(productionBytes(), 0, 0, 12);
             bytes[recordOffset(bytes, 0) + 8] = 1;
             return bytes;
         },
         "tomblora.salad: entry \"harvester.xsi\": LZMA blob of 12 bytes is shorter than its 13-byte header"},
    };
    for (const FatalCase& fatal : cases) {
        SCOPED_TRACE(fatal.what);
        std::vector<uint8_t> bytes = fatal.archive();
        expectFatal(runTomblora(&bytes), fatal.message);
    }
}

TEST(BadInput, FileEndingInsideTheDataAreaNamesTheEntryCutShort) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    std::vector<uint8_t> bytes = build(entries);
    // Ten bytes less just before the table: the last blob runs past the data area.
    const size_t tableBytes = entries.size() * kRecordBytes;
    bytes.erase(bytes.end() - std::ptrdiff_t(tableBytes) - 10, bytes.end() - std::ptrdiff_t(tableBytes));
    size_t lastOffset = 12;
    for (size_t i = 0; i + 1 < entries.size(); ++i) lastOffset += entries[i].data.size();
    const std::string expected = "tomblora.salad: entry \"soundtrack.ogg\": blob of " +
                                 std::to_string(entries.back().data.size()) + " bytes at offset " +
                                 std::to_string(lastOffset) + " runs past the data area, which ends at offset " +
                                 std::to_string(bytes.size() - tableBytes) + ": the file ends early";
    expectFatal(runTomblora(&bytes), expected);
}

TEST(BadInput, NameLengthOver33IsFatal) {
    std::vector<uint8_t> bytes = productionBytes();
    bytes[recordOffset(bytes, 0) + 9] = 34;
    // The whole 34-byte name field is shown; its zero padding reads back as 0x80 and is escaped.
    std::string shownName = "harvester.xsi";
    for (size_t i = shownName.size(); i < 34; ++i) shownName += "\\x80";
    expectFatal(runTomblora(&bytes), "tomblora.salad: entry \"" + shownName + "\": name length 34 exceeds 33");
}

TEST(BadInput, DamagedLzmaEntriesAreFatal) {
    {
        SCOPED_TRACE("invalid properties");
        std::vector<uint8_t> bytes = productionWithLzmaScene();
        bytes[12] = 0xFF; // the first blob's property byte; 225 and above is no valid lc/lp/pb
        const std::string dictionary = std::to_string(getLe32(bytes, 13));
        expectFatal(runTomblora(&bytes), "tomblora.salad: entry \"harvester.xsi\": LZMA properties are invalid (byte "
                                         "0xFF, dictionary " + dictionary + ")");
    }
    {
        SCOPED_TRACE("damaged stream");
        std::vector<uint8_t> bytes = productionWithLzmaScene();
        const uint32_t stored = getLe32(bytes, recordOffset(bytes, 0));
        for (size_t i = 13 + 8; i < 12 + stored; ++i) bytes[i] = uint8_t(bytes[i] ^ 0x5A);
        ProgramRun run = runTomblora(&bytes);
        EXPECT_EQ(run.exitCode, 255) << run.err;
        const std::string prefix = "tomblora.salad: entry \"harvester.xsi\": LZMA stream ";
        EXPECT_EQ(run.err.rfind(prefix, 0), 0u) << run.err;
        EXPECT_NE(run.err.find(" of " + std::to_string(firstSceneSize()) + " bytes\n"), std::string::npos) << run.err;
    }
}

TEST(BadInput, UndecodableImageIsReportedAndTheDemoRunsOn) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    setText(entryNamed(entries, "bg1.png"), "\x89PNG\r\n\x1a\n but nothing after the signature");
    std::vector<uint8_t> bytes = build(entries);
    ProgramRun run = runTomblora(&bytes, kRunsOnMs);
    expectRunsOn(run);
    EXPECT_TRUE(hasLine(run.out, "error loading bg1.png")) << run.out;
}

TEST(BadInput, SoundtrackThatIsNoOggIsReportedAndTheDemoRunsSilently) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    setText(entryNamed(entries, "soundtrack.ogg"), "OggS but then nothing a decoder could use");
    std::vector<uint8_t> bytes = build(entries);
    ProgramRun run = runTomblora(&bytes, kRunsOnMs);
    expectRunsOn(run);
    EXPECT_TRUE(hasLine(run.out, "error loading soundtrack.ogg: not a playable Ogg Vorbis stream, playing without music"))
        << run.out;
}

TEST(BadInput, SoundtrackDamagedMidStreamPlaysWhatItCanAndTheDemoRunsOn) {
    const std::vector<uint8_t> tone = encodeRisingTone(8.0, 440.0, 0.1, 0.5);
    ASSERT_GT(tone.size(), 20000u);
    std::vector<uint8_t> cut(tone.begin(), tone.begin() + std::ptrdiff_t(tone.size() * 6 / 10));
    std::vector<uint8_t> scrambled = tone;
    for (size_t i = scrambled.size() / 2; i < scrambled.size() * 3 / 4; i += 7) scrambled[i] ^= 0xA5;
    for (const auto& [what, soundtrack] : {std::pair{"cut short", cut}, std::pair{"scrambled", scrambled}}) {
        SCOPED_TRACE(what);
        std::vector<ArchiveInput> entries = testProductionEntries();
        entryNamed(entries, "soundtrack.ogg").data = soundtrack;
        std::vector<uint8_t> bytes = build(entries);
        ProgramRun run = runTomblora(&bytes, kRunsOnMs);
        expectRunsOn(run);
        // The headers are whole, so the stream opens: nothing to report, the music just stops early.
        EXPECT_EQ(run.out.find("soundtrack.ogg"), std::string::npos) << run.out;
        EXPECT_EQ(run.err, "");
    }
}

TEST(BadInput, DamagedSceneTextIsReportedAndTheDemoRunsOn) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    ArchiveInput& ledge = entryNamed(entries, "ledge.xsi");
    std::string text = textOf(ledge);
    // The first position row loses its third number.
    const std::string values = "\"VALUES\",\n";
    const size_t row = text.find(values, text.find("XSI_SubComponentAttributeList position"));
    ASSERT_NE(row, std::string::npos);
    const size_t rowStart = text.find_first_not_of(" \t", row + values.size());
    const size_t rowEnd = text.find('\n', rowStart);
    text.replace(rowStart, rowEnd - rowStart, "1.0,2.0,");
    setText(ledge, text);
    std::vector<uint8_t> bytes = build(entries);
    ProgramRun run = runTomblora(&bytes, kRunsOnMs);
    expectRunsOn(run);
    EXPECT_TRUE(hasLine(run.out, "ERROR after processing 0 rows of verts")) << run.out;
}

TEST(BadInput, TruncatedSceneTextIsReportedAndTheDemoRunsOn) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    ArchiveInput& escape = entryNamed(entries, "escape.xsi");
    std::string text = textOf(escape);
    // Cut inside the last model's transform: every model is named, the last one's data is short.
    const size_t lastModel = text.rfind("SI_Model ");
    const size_t cut = text.find("XSI_Transform", lastModel);
    ASSERT_NE(cut, std::string::npos);
    text.resize(text.find('\n', cut) + 1);
    const size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));
    setText(escape, text);
    std::vector<uint8_t> bytes = build(entries);
    ProgramRun run = runTomblora(&bytes, kRunsOnMs);
    expectRunsOn(run);
    EXPECT_TRUE(hasLine(run.out, "escape.xsi(" + std::to_string(lines) + "): the text ends inside the XSI_Transform"))
        << run.out;
}

TEST(BadInput, FontDescriptorOutOfRangeIsReportedAndTheDemoRunsOn) {
    const std::string original = [] {
        std::vector<ArchiveInput> entries = testProductionEntries();
        return textOf(entryNamed(entries, "demo.fnt"));
    }();
    const size_t id = original.find("char id=65 ");
    ASSERT_NE(id, std::string::npos);
    const size_t line = size_t(std::count(original.begin(), original.begin() + std::ptrdiff_t(id), '\n')) + 1;
    std::string idOutOfRange = original;
    idOutOfRange.replace(id, 11, "char id=300 ");
    std::string negativePage = original;
    negativePage.replace(negativePage.find("scaleW=8"), 8, "scaleW=-8");
    const struct {
        std::string text;
        std::string message;
    } cases[] = {
        {idOutOfRange, "demo.fnt(" + std::to_string(line) + "): character id 300 outside 0..255, skipped"},
        {negativePage, "demo.fnt: page size -8x8 is not positive, no characters read"},
    };
    for (const auto& fault : cases) {
        SCOPED_TRACE(fault.message);
        std::vector<ArchiveInput> entries = testProductionEntries();
        setText(entryNamed(entries, "demo.fnt"), fault.text);
        std::vector<uint8_t> bytes = build(entries);
        ProgramRun run = runTomblora(&bytes, kRunsOnMs);
        expectRunsOn(run);
        EXPECT_TRUE(hasLine(run.out, fault.message)) << run.out;
    }
}

// A short line repeated makes a node each time: past the model limit the rest of the text is passed over, and
// a warning repeated thousands of times is printed a few times and then counted.
TEST(BadInput, SceneOfThousandsOfModelsIsCutAndItsWarningsCounted) {
    std::vector<ArchiveInput> entries = testProductionEntries();
    std::string text = textOf(entryNamed(entries, "disks.xsi"));
    const size_t lines = size_t(std::count(text.begin(), text.end(), '\n'));
    size_t models = 0;
    for (size_t at = text.find("SI_Model "); at != std::string::npos; at = text.find("SI_Model ", at + 1)) ++models;
    for (int i = 0; i < 3000; ++i) text += "SI_Model MDL-j {\n";
    setText(entryNamed(entries, "disks.xsi"), text);
    std::vector<uint8_t> bytes = build(entries);
    ProgramRun run = runTomblora(&bytes, kRunsOnMs);
    expectRunsOn(run);
    // Model 2049 is added line 2049 - models; the first added line makes the node, each later one a warning.
    EXPECT_TRUE(hasLine(run.out, "disks.xsi(" + std::to_string(lines + 2049 - models) + "): model MDL-j is one "
                                 "more than the 2048 a scene may hold; the rest of the text is passed over"));
    EXPECT_TRUE(hasLine(run.out, "disks.xsi: " + std::to_string(2048 - models - 1 - 5) +
                                     " more messages like \"WARNING: scene already has MDL-j\" left out"));
    size_t warnings = 0;
    for (size_t at = run.out.find("WARNING: scene"); at != std::string::npos; at = run.out.find("WARNING: scene", at + 1)) {
        ++warnings;
    }
    EXPECT_EQ(warnings, 5u + 1u) << run.out.substr(0, 3000); // five, and the one the summary quotes
}

TEST(BadInput, ArchiveThatIsAFifoIsRefusedBeforeItIsRead) {
    ScratchFolder folder;
    ASSERT_EQ(mkfifo((folder.path() + "/tomblora.salad").c_str(), 0600), 0);
    expectFatal(runProgram(TOMBLORA_PATH, folder.path(), RunPlan{}), "tomblora.salad: is a FIFO, not a file; not read");
}

// A video driver that cannot draw: one line says what failed and where to turn, for both programs.
TEST(BadInput, NoWindowOrContextIsSaidInOneLine) {
    ScratchFolder folder;
    folder.writeArchive(productionBytes());
    RunPlan plan;
    plan.environment = {"SDL_VIDEODRIVER=dummy"};
    ProgramRun demo = runProgram(TOMBLORA_PATH, folder.path(), plan);
    EXPECT_EQ(demo.exitCode, 1);
    EXPECT_TRUE(demo.err.rfind("cannot make the window (", 0) == 0 && std::count(demo.err.begin(), demo.err.end(), '\n') == 1 &&
                demo.err.find("); run with a display that has OpenGL, or use tomblora-capture") != std::string::npos)
        << demo.err;
    plan.args = {"--at", "0"};
    ProgramRun capture = runProgram(CAPTURE_PATH, folder.path(), plan);
    EXPECT_EQ(capture.exitCode, 1);
    EXPECT_TRUE(capture.err.rfind("tomblora-capture: cannot make the window (", 0) == 0 &&
                std::count(capture.err.begin(), capture.err.end(), '\n') == 1 &&
                capture.err.find("leave SDL_VIDEODRIVER unset or set it to offscreen") != std::string::npos)
        << capture.err;
}
