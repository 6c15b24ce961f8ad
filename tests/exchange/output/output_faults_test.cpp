#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/morvit_process.h"

// The files beside the report in a world that fails them, set up by a shell as a user meets
// it: devices, FIFOs and links as targets, a full disk, the file size limit, too little
// memory, names that clash with the files a run needs. Each output is afterwards either the
// complete new file or the old file untouched; nothing but a regular file is ever replaced;
// no temporary file is left behind; a failure never reports success.
namespace morvit {
namespace {

using testing::run_script;
using testing::RunningMorvit;
using testing::WorkDir;

// Three named cases, made from data.csv as the maker would have made it.
const std::string kRun =
    "COM    DATA: DATA.CSV (3 CASES)\n"
    "COM    OUTCOME = Y\n"
    "COM    A = WEALTH\n"
    "DAT   3 1\n"
    "0.5 0.9\n"
    "0.9 0.2\n"
    "0.1 0.7\n"
    "FIN\n";

// A shell line that writes a command file of `cases` cases and one factor (big.cmd), whose
// cases CSV is far larger than its report and than a pipe's buffer.
const std::string kBigRun =
    "awk 'BEGIN { print \"DAT   4000 1\"; for (i = 0; i < 4000; i++) printf \"%.6f %.6f\\n\", (i % 97) / 97, "
    "(i % 89) / 89; print \"FIN\" }' > big.cmd\n";

// A CSV file of 2000 cases for the maker, whose command file is some 40 KB.
const std::string kBigCsv =
    "awk 'BEGIN { print \"case,y,a\"; for (i = 0; i < 2000; i++) printf \"c%d,%.6f,%.6f\\n\", i, (i % 97) / 97, "
    "(i % 89) / 89 }' > big.csv\n";

// No temporary file is left behind.
const std::string kNoTemporaryFile = "! ls -a | grep -q '\\.tmp$'";

struct OutputFault {
  const char* name;
  std::string script;  // run in a directory holding run.cmd and data.csv
  int status;
  const char* message;    // text standard error must hold
  std::string afterward;  // a shell condition that must hold afterwards
  bool needs_root = false;
};

void PrintTo(const OutputFault& c, std::ostream* os) { *os << c.name; }

class OutputsInAFaultyWorld : public ::testing::TestWithParam<OutputFault> {};

TEST_P(OutputsInAFaultyWorld, LeaveTheOldFileOrTheWholeNewOne) {
  const OutputFault& c = GetParam();
  if (c.needs_root && !testing::running_as_root()) GTEST_SKIP() << "needs root (a device node, another owner)";
  if (c.script.find("ulimit -v") != std::string::npos && !testing::address_space_limits_apply()) {
    GTEST_SKIP() << "the address space limit is for the program alone";
  }
  WorkDir dir;
  dir.write("run.cmd", kRun);
  dir.write("data.csv", "case,y,wealth\nx,0.5,0.9\ny,0.9,0.2\nz,0.1,0.7\n");
  const auto result = run_script(dir, c.script);
  EXPECT_EQ(result.status, c.status) << result.err;
  EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
  const auto check = run_script(dir, "(" + c.afterward + ") && " + kNoTemporaryFile);
  EXPECT_EQ(check.status, 0) << "afterwards: " << c.afterward << "\n" << check.err;
  EXPECT_EQ(dir.read("data.csv"), "case,y,wealth\nx,0.5,0.9\ny,0.9,0.2\nz,0.1,0.7\n") << "the data never change";
}

INSTANTIATE_TEST_SUITE_P(
    Targets, OutputsInAFaultyWorld,
    ::testing::Values(
        OutputFault{"DeviceNodeStays",
                    R"(mknod full c 1 7 && "$MORVIT" --html full run.cmd)",
                    2,
                    "morvit: cannot write full: No space left on device",
                    "[ -c full ] && grep -q 'NUMBER OF WARNINGS' morvit.out",
                    true},
        OutputFault{"LinkToStandardOutputStays",
                    R"(ln -s /dev/stdout page.html && "$MORVIT" --html page.html run.cmd >/dev/full)",
                    2,
                    "morvit: cannot write page.html: No space left on device",
                    "[ -L page.html ]"},
        OutputFault{
            "FifoWhoseReaderWentAway",
            kBigRun + R"(mkfifo c.csv && { head -c 10 c.csv >/dev/null & } && "$MORVIT" --cases-csv c.csv big.cmd)",
            2,
            "morvit: cannot write c.csv: Broken pipe",
            "[ -p c.csv ]"},
        OutputFault{"LinkToARegularFileKeepsTheLink",
                    R"(echo OLD > real.csv && ln -s real.csv t.csv && "$MORVIT" --table-csv t.csv run.cmd)",
                    0,
                    "",
                    "[ -L t.csv ] && head -1 real.csv | grep -q '^block,'"},
        // A target of 300 bytes, longer than a first reading of the link takes.
        OutputFault{"ALinkWithALongTargetIsFollowedWhole",
                    R"(d=$(printf 'abcd/%.0s' $(seq 60)) && mkdir -p "$d" && echo OLD > "${d}real.csv" &&
                       ln -s "${d}real.csv" t.csv && "$MORVIT" --table-csv t.csv run.cmd)",
                    0,
                    "",
                    "[ -L t.csv ] && head -1 \"$(printf 'abcd/%.0s' $(seq 60))real.csv\" | grep -q '^block,'"},
        OutputFault{"DanglingLinkGetsItsFile",
                    R"(ln -s made.csv t.csv && "$MORVIT" --table-csv t.csv run.cmd)",
                    0,
                    "",
                    "[ -L t.csv ] && [ -f made.csv ] && head -1 made.csv | grep -q '^block,'"},
        OutputFault{"FileSizeLimitLeavesTheOldFile",
                    kBigRun + R"(echo OLD > c.csv && ulimit -f 16 && "$MORVIT" --cases-csv c.csv big.cmd)",
                    2,
                    "morvit: cannot write c.csv: File too large",
                    "[ \"$(cat c.csv)\" = OLD ]"},
        OutputFault{"ADirectoryIsNoOutput",
                    R"(mkdir p.html && "$MORVIT" --html p.html run.cmd)",
                    2,
                    "morvit: cannot write p.html: it is a directory",
                    "[ -d p.html ]"}),
    [](const ::testing::TestParamInfo<OutputFault>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Maker, OutputsInAFaultyWorld,
    ::testing::Values(
        OutputFault{
            "CaseNamesFileIsADirectory",
            R"(echo OLD > s.cmd && mkdir s.cmd.cases && "$MORVIT" --make-command-file data.csv --outcome y --factors wealth --cases case -o s.cmd)",
            2,
            "morvit: cannot write s.cmd.cases: it is a directory",
            "[ \"$(cat s.cmd)\" = OLD ]"},
        OutputFault{
            "FileSizeLimitLeavesTheOldPair",
            kBigCsv +
                R"(echo OLD > u.cmd && echo OLD > u.cmd.cases && ulimit -f 8 && "$MORVIT" --make-command-file big.csv --outcome y --factors a --cases case -o u.cmd)",
            2,
            "morvit: cannot write u.cmd: File too large",
            "[ \"$(cat u.cmd)\" = OLD ] && [ \"$(cat u.cmd.cases)\" = OLD ]"},
        OutputFault{
            "OutOfMemory",
            R"(awk 'BEGIN { print "c,y,a,b,c2,d,e,f,g,h,i,j"; for (i = 0; i < 100000; i++) print "case" i ",0.5,0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9,0.95" }' > huge.csv && ulimit -v 25000 && "$MORVIT" --make-command-file huge.csv --outcome y --factors a,b,c2,d,e,f,g,h,i,j -o h.cmd)",
            2,
            "morvit: out of memory; no command file was made",
            "[ ! -e h.cmd ]"},
        OutputFault{
            "ControlCharactersInNamesAreEscaped",
            R"(printf 'c,y\033]0;T\007,a\000b\nx,0.1,0.2\n' > esc.csv && "$MORVIT" --make-command-file esc.csv --outcome y --factors a -o e.cmd 2>&1 | tee err.txt >&2; exit ${PIPESTATUS[0]})",
            2,
            "its columns are: c, y\\x1b]0;T\\a, a\\0b",
            "! grep -q $'\\033' err.txt && [ ! -e e.cmd ]"},
        OutputFault{"StandardOutputForDash",
                    R"("$MORVIT" --make-command-file data.csv --outcome y --factors wealth -o - > out.txt)",
                    0,
                    "",
                    "grep -q '^DAT   3 1$' out.txt && [ ! -e ./- ]"}),
    [](const ::testing::TestParamInfo<OutputFault>& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Clashes, OutputsInAFaultyWorld,
    ::testing::Values(
        OutputFault{"LinkToTheReport",
                    R"(ln -s morvit.out mlink && "$MORVIT" --html mlink run.cmd)",
                    2,
                    "--html mlink: this is the report file morvit.out",
                    "[ ! -e morvit.out ] && [ -L mlink ]"},
        OutputFault{
            "ReportFileOfOut",
            R"(echo OLD > REP.OUT && printf 'OUT     REP.OUT\n' | cat - run.cmd > out.cmd && "$MORVIT" --table-csv REP.OUT --html p.html out.cmd)",
            2,
            "--table-csv REP.OUT: this is the report file REP.OUT that the run wrote",
            "head -1 REP.OUT | grep -q OLD && grep -q 'NUMBER OF WARNINGS' REP.OUT && [ ! -e p.html ]"},
        OutputFault{"Fallback",
                    R"("$MORVIT" --html fort.6 run.cmd)",
                    2,
                    "--html fort.6: this is the report file fort.6",
                    "[ ! -e fort.6 ] && [ ! -e morvit.out ]"},
        OutputFault{"TheDataTheCommandFileWasMadeFrom",
                    R"("$MORVIT" --cases-csv data.csv --table-csv t.csv run.cmd)",
                    2,
                    "--cases-csv data.csv: this is the CSV file that the command file was made from",
                    "[ ! -e t.csv ]"}),
    [](const ::testing::TestParamInfo<OutputFault>& info) { return std::string(info.param.name); });

// The checks a hostile or unlucky name used to beat: the CSV file behind a command file known
// by its identity however long or odd its name, standard input as the maker's source, a side
// file that is the command file, a side file beside a device, the null device as an output,
// a side file too large to be one, names beyond bounds; and the rule for replacing a file as
// the kernel applies it.
INSTANTIATE_TEST_SUITE_P(
    Reliability, OutputsInAFaultyWorld,
    ::testing::Values(
        OutputFault{"ALongCsvNameIsKnownByItsIdentity",
                    R"(n=long$(printf 'd%.0s' $(seq 66)).csv && cp data.csv "$n" && cp data.csv saved.csv &&
                       "$MORVIT" --make-command-file "$n" --outcome y --factors wealth -o m.cmd && "$MORVIT" --table-csv "$n" m.cmd)",
                    2,
                    "this is the CSV file that the command file was made from",
                    "cmp long*.csv saved.csv"},
        OutputFault{
            "ATabInTheCsvNameIsKnownByItsIdentity",
            R"(cp data.csv $'tab\there.csv' && "$MORVIT" --make-command-file $'tab\there.csv' --outcome y --factors wealth --cases case -o m.cmd &&
                       "$MORVIT" --cases-csv $'tab\there.csv' m.cmd)",
            2,
            "this is the CSV file that the command file was made from",
            "cmp tab*here.csv data.csv"},
        OutputFault{"TheMakerKeepsItsStandardInput",
                    R"("$MORVIT" --make-command-file - --outcome y --factors wealth -o data.csv < data.csv)",
                    2,
                    "this is the CSV file being read",
                    "[ ! -e data.csv.cases ]"},
        OutputFault{
            "TheCaseNamesFileIsNotTheCommandFile",
            R"(echo OLD > s.cmd && ln -s s.cmd s.cmd.cases && "$MORVIT" --make-command-file data.csv --outcome y --factors wealth --cases case -o s.cmd)",
            2,
            "the command file and its case names must be two files",
            "[ \"$(cat s.cmd)\" = OLD ] && [ -L s.cmd.cases ]"},
        OutputFault{
            "NoSideFileBesideADevice",
            R"(ln -s /dev/null null.cmd && "$MORVIT" --make-command-file data.csv --outcome y --factors wealth --cases case -o null.cmd)",
            0,
            "the case names, kept in FILE.cases beside a command file on disk, are left out",
            "[ ! -e null.cmd.cases ] && [ -L null.cmd ]"},
        OutputFault{
            "NoSideFileLeftBesideAFullDevice",
            R"(ln -s /dev/full full.cmd && "$MORVIT" --make-command-file data.csv --outcome y --factors wealth --cases case -o full.cmd)",
            2,
            "morvit: cannot write full.cmd: No space left on device",
            "[ ! -e full.cmd.cases ]"},
        OutputFault{"TheNullDeviceTakesTwoOutputs",
                    R"("$MORVIT" --table-csv /dev/null --html /dev/null run.cmd)",
                    0,
                    "",
                    "grep -q 'NUMBER OF WARNINGS' morvit.out"},
        OutputFault{"ASideFileTooLargeIsPassedOver",
                    R"(truncate -s 30M run.cmd.cases && "$MORVIT" --html p.html run.cmd)",
                    0,
                    "run.cmd.cases: warning: larger than the side file of a command file can be",
                    "[ -f p.html ]"},
        OutputFault{"ListedNamesAreBounded",
                    R"sh("$MORVIT" --names "$(head -c 120000 /dev/zero | tr '\0' x)" --table-csv t.csv run.cmd)sh",
                    0,
                    "--names: the name of factor A has 120000 bytes; it is cut to at most 69",
                    "[ $(wc -c < t.csv) -lt 5000 ]"},
        OutputFault{"SetIdBitsAreDropped",
                    R"(echo OLD > t.csv && chmod 6755 t.csv && "$MORVIT" --table-csv t.csv run.cmd)",
                    0,
                    "",
                    "[ \"$(stat -c %a t.csv)\" = 755 ]"},
        OutputFault{"TheOwnerAndGroupAreKept",
                    R"(echo OLD > t.csv && chown nobody:nogroup t.csv && "$MORVIT" --table-csv t.csv run.cmd)",
                    0,
                    "",
                    "[ \"$(stat -c %U:%G t.csv)\" = nobody:nogroup ] && head -1 t.csv | grep -q '^block,'",
                    true},
        OutputFault{"ALinkPlantedInASharedFolderIsNotFollowed",
                    R"(mkdir -m 1777 shared && echo SECRET > victim && ln -s ../victim shared/page.html &&
                       chown -h nobody shared/page.html && "$MORVIT" --html shared/page.html run.cmd)",
                    2,
                    "the link ",
                    "[ \"$(cat victim)\" = SECRET ] && [ -L shared/page.html ]",
                    true}),
    [](const ::testing::TestParamInfo<OutputFault>& info) { return std::string(info.param.name); });

// Files that the runner may not write are not replaced, as a shell refuses `> FILE`: a
// write-protected file (root's, when the tests run as root).
TEST(OutputsInAFaultyWorld, AFileTheRunnerMayNotWriteIsKept) {
  WorkDir dir;
  dir.write("run.cmd", kRun);
  dir.write("t.csv", "OLD\n");
  std::filesystem::permissions(dir.path() / "t.csv",
                               std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
  const auto result = testing::run_morvit(dir, {"--table-csv", "t.csv", "run.cmd"}, testing::RunAs::unprivileged_user);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("morvit: cannot write t.csv: Permission denied"), std::string::npos) << result.err;
  EXPECT_EQ(dir.read("t.csv"), "OLD\n");
}

// A command file of `cases` cases and `factors` factors whose outputs take a while to write.
std::string large_run(int cases, int factors, const std::string& comment) {
  std::string text = "COM    " + comment + "\nDAT   " + std::to_string(cases) + " " + std::to_string(factors) + "\n";
  for (int i = 0; i < cases; ++i) {
    for (int j = 0; j <= factors; ++j) {
      text += "0." + std::to_string((i * 7 + j * 13) % 97 + 1) + (j == factors ? "\n" : " ");
    }
  }
  return text + "FIN\n";
}

bool has_temporary_file(const WorkDir& dir) {
  for (const std::string& name : dir.entries()) {
    if (name.ends_with(".tmp")) return true;
  }
  return false;
}

// An interruption while an output is being written leaves the old output as it was and no
// temporary file: the run is stopped the moment its first temporary file appears. (On a
// busy machine the writing may end before the signal arrives; the run is then repeated.)
TEST(OutputsInAFaultyWorld, AnInterruptionLeavesTheOldOutputs) {
  WorkDir dir;
  dir.write("run.cmd", large_run(100000, 4, "LARGE"));
  bool interrupted = false;
  for (int attempt = 0; attempt < 5 && !interrupted; ++attempt) {
    dir.write("c.csv", "OLD CASES\n");
    dir.write("p.html", "OLD PAGE\n");
    RunningMorvit run(dir, {"--cases-csv", "c.csv", "--html", "p.html", "run.cmd"});
    const auto started = std::chrono::steady_clock::now();
    while (!has_temporary_file(dir) && !run.ends_within(0) &&
           std::chrono::steady_clock::now() - started < std::chrono::seconds(60)) {
    }
    run.signal(SIGTERM);
    const auto result = run.finish();
    EXPECT_FALSE(has_temporary_file(dir));
    if (result.status == 0) continue;  // too late: both outputs were complete
    interrupted = true;
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_NE(result.err.find("Killed"), std::string::npos) << result.err;
    // The output being written when the signal came is the old one; one written before it
    // is complete.
    const std::string cases = dir.read("c.csv");
    EXPECT_TRUE(cases == "OLD CASES\n" || std::count(cases.begin(), cases.end(), '\n') == 100001);
    EXPECT_EQ(dir.read("p.html"), "OLD PAGE\n");
  }
  EXPECT_TRUE(interrupted) << "no attempt was interrupted while it wrote";
}

// Two runs that write the same page and table from two directories at once each leave one
// whole file: whichever came last, never a mixture.
TEST(OutputsInAFaultyWorld, TwoRunsNeverMixOneOutput) {
  WorkDir shared;
  WorkDir first;
  WorkDir second;
  first.write("run.cmd", large_run(3000, 3, "FIRST"));
  second.write("run.cmd", large_run(3000, 3, "SECOND"));
  const std::string page = (shared.path() / "p.html").string();
  const std::string table = (shared.path() / "t.csv").string();
  // Each run's outputs alone, to compare with.
  ASSERT_EQ(testing::run_morvit(first, {"--html", "alone.html", "--table-csv", "alone.csv", "run.cmd"}).status, 0);
  ASSERT_EQ(testing::run_morvit(second, {"--html", "alone.html", "--table-csv", "alone.csv", "run.cmd"}).status, 0);
  for (int trial = 0; trial < 8; ++trial) {
    RunningMorvit a(first, {"--html", page, "--table-csv", table, "run.cmd"});
    RunningMorvit b(second, {"--html", page, "--table-csv", table, "run.cmd"});
    ASSERT_EQ(a.finish().status, 0);
    ASSERT_EQ(b.finish().status, 0);
    const std::string written_page = shared.read("p.html");
    EXPECT_TRUE(written_page == first.read("alone.html") || written_page == second.read("alone.html")) << trial;
    const std::string written_table = shared.read("t.csv");
    EXPECT_TRUE(written_table == first.read("alone.csv") || written_table == second.read("alone.csv")) << trial;
    EXPECT_FALSE(has_temporary_file(shared));
  }
}

// Case names left from an earlier command file of the same name are not taken for the
// cases of a newer one: their first line ties them to other data.
TEST(OutputsInAFaultyWorld, CaseNamesOfOtherDataAreNotTaken) {
  WorkDir dir;
  dir.write("data.csv", "case,y,a\nNorth,0.5,0.9\nSouth,0.9,0.2\n");
  ASSERT_EQ(
      testing::run_morvit(
          dir,
          {"--make-command-file", "data.csv", "--outcome", "y", "--factors", "a", "--cases", "case", "-o", "run.cmd"})
          .status,
      0);
  const std::string names = dir.read("run.cmd.cases");
  // The same names, tied to the data as made, and then to other data of the same size.
  const std::string other = "DAT   2 1\n0.5 0.9\n0.9 0.3\nFIN\n";
  std::string made = dir.read("run.cmd");
  for (const bool changed : {false, true}) {
    if (changed) dir.write("run.cmd", made.substr(0, made.find("\nDAT ") + 1) + other);
    const auto result = testing::run_morvit(dir, {"--cases-csv", "c.csv", "run.cmd"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err.find("made for other data") != std::string::npos, changed) << result.err;
    EXPECT_EQ(dir.read("c.csv").find("North") != std::string::npos, !changed) << dir.read("c.csv");
  }
  EXPECT_EQ(dir.read("run.cmd.cases"), names);
  // The first line's count of cases is the data's too.
  dir.write("run.cmd", made);
  dir.write("run.cmd.cases", "#MORVIT CASES 3" + names.substr(names.find(' ', 14)));
  EXPECT_NE(testing::run_morvit(dir, {"--cases-csv", "c.csv", "run.cmd"}).err.find("made for other data"),
            std::string::npos);
}

}  // namespace
}  // namespace morvit
