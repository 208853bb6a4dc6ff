// OVX.MON: the reader (separator mode, ordering, grammar, failures, progress)
// and the user-model writer (exact text, replacement, refusals).
#include <gtest/gtest.h>

#include "test_support.h"

namespace monitor_db {
namespace {

using testing::CrLf;
using testing::TimingSection;

// Timing values in writer order with a recognisable pixel clock.
std::vector<long long> Values(long long clock, long long interlace = 0) { return {clock, 640, 16, 96, 48, 1, 480, 10, 2, 33, 1, interlace}; }

struct Shape {
  std::string manufacturer, model;
  bool operator==(const Shape&) const = default;
};
std::vector<Shape> ShapeOf(const MonitorManufacturer* tree) {
  std::vector<Shape> shape;
  for (const MonitorManufacturer* m = tree; m; m = m->next) {
    if (!m->models) shape.push_back({m->name, ""});
    for (const MonitorModel* model = m->models; model; model = model->next) shape.push_back({m->name, model->name});
  }
  return shape;
}
void PrintTo(const Shape& s, std::ostream* os) { *os << s.manufacturer << "/" << s.model; }

// A model section with one plain 640x480 key and its timing section.
std::string SimpleModel(const std::string& section, long clock) {
  std::string timing = "*" + section + "_,(640X480)";
  for (char& c : timing)
    if (c == ' ' || c == '.') c = '_';
  return CrLf({"[" + section + "]", "640X480  =     NI, " + timing, ""}) + TimingSection(timing, Values(clock));
}

class MonitorText : public testing::MonitorDbTest {};

TEST_F(MonitorText, SeparatorModeDecisions) {
  struct Case {
    const char* what;
    std::vector<std::string> sections;
    SeparatorMode mode;
    std::vector<Shape> shape;
  };
  const Case cases[] = {
      {"a full stop first decides dot mode; a name with only a space is then ignored",
       {"Acme.Pro 17", "Generic 15"}, SeparatorMode::kDot, {{"Acme", "Pro 17"}}},
      {"a space first decides space mode; names with a full stop are then ignored",
       {"Generic 15", "Acme.Pro 17", "Other Model X"}, SeparatorMode::kSpace, {{"Generic", "15"}, {"Other", "Model X"}}},
      {"timing sections and names without either separator decide nothing",
       {"Plain", "Generic 15"}, SeparatorMode::kSpace, {{"Generic", "15"}}},
      {"nothing decides", {"Plain"}, SeparatorMode::kUndecided, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ResetSeparatorMode();
    std::string text;
    long clock = 25000;
    for (const std::string& s : c.sections) text += SimpleModel(s, clock++);
    ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
    EXPECT_EQ(CurrentSeparatorMode(), c.mode);
    EXPECT_EQ(ShapeOf(tree_), c.shape);
  }
}

TEST_F(MonitorText, ADecidedModeLastsAcrossReadsAndDrivesTheWriter) {
  ASSERT_EQ(ReadTree(SimpleModel("Acme.Pro", 25000)), 1);
  ASSERT_EQ(ReadTree(SimpleModel("Generic 15", 25000)), 1);
  EXPECT_EQ(CurrentSeparatorMode(), SeparatorMode::kDot);
  EXPECT_EQ(tree_, nullptr);
  EXPECT_EQ(SeparatorChar(), '.');
}

TEST_F(MonitorText, ManufacturersInByteOrderModelsInReverseTextOrder) {
  std::string text;
  for (const char* s : {"Acme.A", "ACME.B", "Zed.Z", "Acme.C", "acme.D"}) text += SimpleModel(s, 25000);
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  EXPECT_EQ(ShapeOf(tree_), (std::vector<Shape>{{"ACME", "B"}, {"Acme", "C"}, {"Acme", "A"}, {"Zed", "Z"}, {"acme", "D"}}));
  // The links run both ways.
  ASSERT_NE(tree_->next, nullptr);
  EXPECT_EQ(tree_->next->prev, tree_);
  EXPECT_EQ(tree_->next->models->next->prev, tree_->next->models);
}

TEST_F(MonitorText, ASecondSectionOfTheSameModelIsIgnored) {
  std::string text = SimpleModel("Acme.Pro", 25000) +
                     CrLf({"[Acme.Pro]", "800X600  =     NI, *Other", ""}) + TimingSection("*Other", Values(40000));
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  ASSERT_EQ(ShapeOf(tree_), (std::vector<Shape>{{"Acme", "Pro"}}));
  ASSERT_EQ(CountTimings(tree_->models), 1);
  EXPECT_EQ(tree_->models->newest->block.PIXEL_CLK, 25000);
}

TEST_F(MonitorText, TimingFieldsAndInterlaceMarking) {
  std::string text = CrLf({"[Acme.Pro]", "1024X768  =     I, *T1 trailing words", "640X480=NI,*T2", "800X600 = none *T3", ""}) +
                     TimingSection("*T1", {44900, 1024, 8, 176, 56, 0, 768, 0, 4, 20, 1, 7}) +
                     TimingSection("*T2", Values(25175)) + TimingSection("*T3", Values(40000));
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  const MonitorModel* model = tree_->models;
  ASSERT_EQ(CountTimings(model), 2);  // a value without "I," defines no timing
  const MonitorTiming* t2 = model->newest;  // made last, so newest
  const MonitorTiming* t1 = t2->older;
  EXPECT_EQ(t2->resolution, kRes640x480);
  EXPECT_EQ(t2->interlaced, 0u);
  EXPECT_EQ(t1->resolution, kRes1024x768);
  EXPECT_EQ(t1->interlaced, 1u);
  EXPECT_EQ(t1->newer, t2);
  const TimingBlock& b = t1->block;
  EXPECT_EQ(std::vector<long>({b.PIXEL_CLK, b.H_DISP, b.H_FPORCH, b.H_SYNC, b.H_BPORCH, b.H_OVERSCAN, b.V_DISP,
                               b.V_FPORCH, b.V_SYNC, b.V_BPORCH, b.V_OVERSCAN, b.OVERSCAN_ENABLE, b.INTERLACE_ENABLE,
                               b.H_SYNC_POL, b.V_SYNC_POL}),
            std::vector<long>({44900, 1024, 8, 176, 56, 0, 768, 0, 4, 20, 0, 0, 1, 0, 1}));
}

TEST_F(MonitorText, KeysBecomeTimingsFromTheirOwnSections) {
  // The example of the grouping rules: 24 and 32 bpp come from the x16 key.
  std::string text = CrLf({"[Acme.Pro]", "640x480 = NI, *A", "800x600.x8 = NI, *B", "800x600.x16 = NI, *C", ""}) +
                     TimingSection("*A", Values(1)) + TimingSection("*B", Values(2)) + TimingSection("*C", Values(3));
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  std::vector<std::vector<long>> made;  // newest to oldest: resolution, depth, zoom, clock
  for (const MonitorTiming* t = tree_->models->newest; t; t = t->older)
    made.push_back({t->resolution, static_cast<long>(t->depth), static_cast<long>(t->zoom), t->block.PIXEL_CLK});
  EXPECT_EQ(made, (std::vector<std::vector<long>>{{1, 32, 0, 3}, {1, 24, 0, 3}, {1, 16, 0, 3}, {1, 8, 0, 2}, {0, 0, 0, 1}}));
}

TEST_F(MonitorText, FailuresStopTheReadAndKeepWhatWasRead) {
  struct Case {
    const char* what;
    std::string failing;  // sections of the model "Zed.Bad", read after "Acme.Good"
    const char* problem;  // part of LastMonitorDbProblem()
  };
  std::string lacking = CrLf({"[*T]", "PIXEL_CLK=1", "H_DISP=640", "H_FPORCH=16", "H_SYNC=96", "H_BPORCH=48",
                              "H_SYNC_POL=1", "V_DISP=480", "V_FPORCH=10", "V_SYNC=2", "V_BPORCH=33",
                              "INTERLACE_ENABLE=0", ""});
  std::string seventeen = "[Zed.Bad]\r\n";
  for (int i = 0; i < 17; ++i) seventeen += "640x480.k" + std::to_string(i) + " = NI, *T\r\n";
  const Case cases[] = {
      {"a timing section without V_SYNC_POL", CrLf({"[Zed.Bad]", "640X480 = NI, *T", ""}) + lacking, "V_SYNC_POL"},
      {"a missing timing section", CrLf({"[Zed.Bad]", "640X480 = NI, *Nowhere", ""}), "*Nowhere"},
      {"a value that names no timing section", CrLf({"[Zed.Bad]", "640X480 = NI, T", ""}), "names no timing section"},
      {"a mode value over 99 characters", CrLf({"[Zed.Bad]", "640X480 = NI, *" + std::string(99, 'x'), ""}),
       "cannot be read"},
      {"a number beyond the signed range", CrLf({"[Zed.Bad]", "640X480 = NI, *T", ""}) +
                                               TimingSection("*T", Values(2147483648ll)),
       "out of range"},
      {"a group of 17 keys", seventeen + TimingSection("*T", Values(1)), "more than 16 keys"},
      {"a key over 29 characters", CrLf({"[Zed.Bad]", "640x480." + std::string(22, 'k') + " = NI, *T", ""}) +
                                       TimingSection("*T", Values(1)),
       "over 29 characters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ReadTree(SimpleModel("Acme.Good", 25000) + c.failing), 0);
    EXPECT_NE(std::string(LastMonitorDbProblem()).find(c.problem), std::string::npos) << LastMonitorDbProblem();
    ASSERT_NE(tree_, nullptr);
    EXPECT_STREQ(tree_->name, "Acme");
    EXPECT_EQ(CountTimings(tree_->models), 1);
  }
  // Nothing is read when the section list itself fails.
  EXPECT_EQ(ReadTree(SimpleModel("Acme.Good", 25000) + "[]\r\n"), 0);
  EXPECT_NE(std::string(LastMonitorDbProblem()).find("empty name"), std::string::npos);
  EXPECT_EQ(tree_, nullptr);
  EXPECT_EQ(ReadMonitorText("C:\\MON\\MISSING.MON", &tree_), 0);
}

TEST_F(MonitorText, NamesTooLongForTheirFieldsAreLeftOutNotTruncated) {
  const std::string model128(128, 'm'), maker79(79, 'a'), maker80(80, 'a');
  std::string text;
  // Section names over 126 characters cannot be looked up, so these use short
  // makers; the field limits are what is checked.
  text += SimpleModel("A." + std::string(60, 'm'), 1);
  text += SimpleModel(maker79 + ".M", 2);
  text += SimpleModel(maker80 + ".M", 3);
  text += SimpleModel("B." + model128, 4);  // would truncate into "B.<127 m>"
  std::vector<Shape> expected = {{"A", std::string(60, 'm')}, {maker79, "M"}};
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  EXPECT_EQ(ShapeOf(tree_), expected);
}

TEST_F(MonitorText, ProgressCountsEverySectionName) {
  struct Counter {
    int total = -1, steps = 0, stepsAtStart = -1;
    std::vector<std::string> notices;
  } counter;
  MonitorReadProgress progress{
      [](void* c, int total) {
        auto* counter = static_cast<Counter*>(c);
        counter->total = total;
        counter->stepsAtStart = counter->steps;
      },
      [](void* c) { ++static_cast<Counter*>(c)->steps; },
      [](void* c, const char* text) { static_cast<Counter*>(c)->notices.push_back(text); }, &counter};
  WriteMon(SimpleModel("Acme.A", 1) + SimpleModel("Acme.B", 2) + "[Ignored]\r\n");
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_, &progress), 1);
  EXPECT_EQ(counter.total, 5);  // two models, two timing sections, one other
  EXPECT_EQ(counter.stepsAtStart, 0);
  EXPECT_EQ(counter.steps, 5);
  EXPECT_EQ(counter.notices, std::vector<std::string>{"section \"Ignored\" ignored: no full stop (dot mode)"});
}

TEST_F(MonitorText, ALargeDatabaseOutgrowsTheFixedNameList) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += SimpleModel("Maker.Model number " + std::to_string(i), 25000 + i);
  ASSERT_GT(text.size(), 32167u * 2);
  ASSERT_EQ(ReadTree(text), 1) << LastMonitorDbProblem();
  EXPECT_EQ(CountModels(tree_), 600);
}

// A model as the page holds it: name and timings newest first.
MonitorModel* MakeModel(const char* name, std::initializer_list<MonitorTiming> timings) {
  MonitorModel* model = NewModel(name);
  for (const MonitorTiming& t : timings) {
    MonitorTiming* copy = NewTiming();
    *copy = t;
    AppendOldestTiming(model, copy);
  }
  return model;
}

MonitorTiming Timing(LONG resolution, DWORD depth, DWORD zoom, LONG clock, DWORD interlaced = 0) {
  MonitorTiming t{};
  t.resolution = resolution;
  t.depth = depth;
  t.zoom = zoom;
  t.interlaced = interlaced;
  t.block = {clock, 1024, 24, 136, 160, 0, 768, 3, 6, 29, 0, 0, 0, 1, 1};
  return t;
}

class UserModels : public testing::MonitorDbTest {
 protected:
  void SetUp() override {
    MonitorDbTest::SetUp();
    user_ = NewManufacturer(kUserDefinedManufacturer);
  }
  void TearDown() override {
    for (MonitorModel* m : models_) FreeModel(m);
    FreeManufacturer(user_);
    MonitorDbTest::TearDown();
  }
  MonitorModel* Keep(MonitorModel* m) {
    models_.push_back(m);
    return m;
  }
  MonitorManufacturer* user_;
  std::vector<MonitorModel*> models_;
};

const std::string kStudio21Block = CrLf({
    "",
    "",
    "[User-Defined.Studio 21]",
    "1024X768.X8.Z1  =     NI, *User-Defined_Studio_21_,(1024X768.X8.Z1)",
    "",
    "[*User-Defined_Studio_21_,(1024X768.X8.Z1)]",
    "PIXEL_CLK   =   65000",
    "H_DISP   =   1024",
    "H_FPORCH   =   24",
    "H_SYNC   =   136",
    "H_BPORCH   =   160",
    "H_SYNC_POL   =   1",
    "V_DISP   =   768",
    "V_FPORCH   =   3",
    "V_SYNC   =   6",
    "V_BPORCH   =   29",
    "V_SYNC_POL   =   1",
    "INTERLACE_ENABLE  =   0",
});

TEST_F(UserModels, Studio21BlockIsWrittenExactly) {
  WriteMon("");
  MonitorModel* model = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  ASSERT_EQ(WriteUserModel(user_, model, kMonPath), 1) << LastMonitorDbProblem();
  EXPECT_EQ(ReadMon(), kStudio21Block);  // the block's closing line breaks are removed at the file's end
}

TEST_F(UserModels, WriteThenReadGivesTheModelBack) {
  const std::string shipped = SimpleModel("Acme.Pro", 25175);
  WriteMon(shipped);
  // A full grid at 1024x768 reads back key for key; a plain 640x480 too.
  std::vector<MonitorTiming> timings;
  LONG clock = 60000;
  for (DWORD depth : {8u, 16u, 24u, 32u})
    for (DWORD zoom : {1u, 2u, 4u}) timings.push_back(Timing(kRes1024x768, depth, zoom, clock++));
  timings.push_back(Timing(kRes640x480, 0, 0, 25175, 1));
  MonitorModel* model = Keep(NewModel("Studio 21"));
  for (const MonitorTiming& t : timings) {
    MonitorTiming* copy = NewTiming();
    *copy = t;
    AppendOldestTiming(model, copy);
  }
  ASSERT_EQ(WriteUserModel(user_, model, kMonPath), 1) << LastMonitorDbProblem();
  ResetSeparatorMode();
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_), 1) << LastMonitorDbProblem();
  MonitorManufacturer* maker;
  MonitorModel* read;
  ASSERT_EQ(FindModelByNames(tree_, "User-Defined", "Studio 21", &maker, &read), 1);
  // Timings are made in text order and each becomes the newest: the order reverses.
  std::vector<const MonitorTiming*> back;
  for (const MonitorTiming* t = read->newest; t; t = t->older) back.insert(back.begin(), t);
  ASSERT_EQ(back.size(), timings.size());
  for (size_t i = 0; i < timings.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i]->resolution, timings[i].resolution);
    EXPECT_EQ(back[i]->depth, timings[i].depth);
    EXPECT_EQ(back[i]->zoom, timings[i].zoom);
    EXPECT_EQ(back[i]->interlaced, timings[i].interlaced);
    EXPECT_EQ(0, memcmp(&back[i]->block, &timings[i].block, sizeof(TimingBlock)));
  }
  EXPECT_EQ(ReadMon().substr(0, shipped.size()), shipped);
}

TEST_F(UserModels, RewritingReplacesTheModelsSectionsOnly) {
  const std::string before = SimpleModel("Acme.Pro", 25175) + SimpleModel("Zed.Other", 31500);
  WriteMon(before);
  MonitorModel* first = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000), Timing(kRes800x600, 0, 0, 40000)}));
  ASSERT_EQ(WriteUserModel(user_, first, kMonPath), 1) << LastMonitorDbProblem();
  MonitorModel* second = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  ASSERT_EQ(WriteUserModel(user_, second, kMonPath), 1) << LastMonitorDbProblem();
  // The old model's sections went and one new block follows. Deleting the
  // last section keeps the empty lines before its header: one more remains.
  EXPECT_EQ(ReadMon(), before + "\r\n" + kStudio21Block);
}

TEST_F(UserModels, DeleteModelSections) {
  const std::string shipped = SimpleModel("Acme.Pro", 25175);
  WriteMon(shipped);
  MonitorModel* model = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  ASSERT_EQ(WriteUserModel(user_, model, kMonPath), 1);
  EXPECT_EQ(DeleteModelSections(user_, model, kMonPath), 1);
  const std::string after = shipped + "\r\n";  // the text ends where the deleted header's CR LF began
  EXPECT_EQ(ReadMon(), after);
  EXPECT_EQ(DeleteModelSections(user_, model, kMonPath), 0);
  EXPECT_EQ(ReadMon(), after);
}

TEST_F(UserModels, NamesAndTimingsThatCannotComeBackAreRefused) {
  struct Case {
    const char* what;
    std::string model;
    std::string manufacturer;
    MonitorTiming timing;
    bool second;  // a second timing with the same mode key
  };
  const MonitorTiming ok = Timing(kRes1024x768, 8, 1, 65000);
  MonitorTiming negative = ok;
  negative.block.H_FPORCH = -4;
  MonitorTiming badDepth = ok;
  badDepth.depth = 12;
  const Case cases[] = {
      {"[", "Studio [21", "User-Defined", ok, false},
      {"]", "Studio 21]", "User-Defined", ok, false},
      {"=", "A=B", "User-Defined", ok, false},
      {";", "A;B", "User-Defined", ok, false},
      {"*", "A*B", "User-Defined", ok, false},
      {"CR", "A\rB", "User-Defined", ok, false},
      {"LF", "A\nB", "User-Defined", ok, false},
      {"a manufacturer with a space", "Studio", "User Defined", ok, false},
      {"a manufacturer with a full stop", "Studio", "User.Defined", ok, false},
      {"NI, in the name", "MINI, 2", "User-Defined", ok, false},
      {"a negative field", "Studio", "User-Defined", negative, false},
      {"a depth no key names", "Studio", "User-Defined", badDepth, false},
      {"two timings with one mode key", "Studio", "User-Defined", ok, true},
      {"a timing section name the engine could not delete again", std::string(52, 'n'), "User-Defined", ok, false},
  };
  const std::string before = SimpleModel("Acme.Pro", 25175);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteMon(before);
    MonitorManufacturer* maker = NewManufacturer(c.manufacturer.c_str());
    MonitorModel* model = Keep(c.second ? MakeModel(c.model.c_str(), {c.timing, c.timing})
                                        : MakeModel(c.model.c_str(), {c.timing}));
    EXPECT_EQ(WriteUserModel(maker, model, kMonPath), 0);
    EXPECT_STRNE(LastMonitorDbProblem(), "");
    EXPECT_EQ(ReadMon(), before);
    FreeManufacturer(maker);
  }
  // The longest model name whose timing section names still fit (83) is written.
  WriteMon(before);
  EXPECT_EQ(WriteUserModel(user_, Keep(MakeModel(std::string(51, 'n').c_str(), {ok})), kMonPath), 1)
      << LastMonitorDbProblem();
}

TEST_F(UserModels, AFullStopIsRefusedInSpaceModeOnly) {
  WriteMon(SimpleModel("Generic 15", 25175));
  MonitorModel* model = Keep(MakeModel("Pro 1.5", {Timing(kRes1024x768, 8, 1, 65000)}));
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_), 1);
  ASSERT_EQ(CurrentSeparatorMode(), SeparatorMode::kSpace);
  EXPECT_EQ(WriteUserModel(user_, model, kMonPath), 0);
  ResetSeparatorMode();
  WriteMon(SimpleModel("Acme.Pro", 25175));
  EXPECT_EQ(WriteUserModel(user_, model, kMonPath), 1) << LastMonitorDbProblem();
}

TEST_F(UserModels, AnUndecidedModeIsTakenFromTheFileBeforeWriting) {
  // The tree came from OVX.BIN: nothing decided the mode. A space-mode
  // database must get a space-mode section, or its reader would ignore it.
  WriteMon(SimpleModel("Generic 15", 25175));
  ASSERT_EQ(CurrentSeparatorMode(), SeparatorMode::kUndecided);
  MonitorModel* model = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  ASSERT_EQ(WriteUserModel(user_, model, kMonPath), 1) << LastMonitorDbProblem();
  EXPECT_EQ(CurrentSeparatorMode(), SeparatorMode::kSpace);
  EXPECT_NE(ReadMon().find("[User-Defined Studio 21]\r\n1024X768.X8.Z1  =     NI, *User-Defined_Studio_21_,(1024X768.X8.Z1)"),
            std::string::npos);
  ResetSeparatorMode();
  ASSERT_EQ(ReadMonitorText(kMonPath, &tree_), 1) << LastMonitorDbProblem();
  EXPECT_EQ(FindModelByNames(tree_, "User-Defined", "Studio 21", nullptr, nullptr), 1);
  // Deleting decides it the same way.
  ResetSeparatorMode();
  EXPECT_EQ(DeleteModelSections(user_, model, kMonPath), 1);
}

TEST_F(UserModels, ATimingSectionNameOfAnotherModelIsNotTakenOver) {
  // "Studio 21" and "Studio_21" share timing section names; writing the
  // second must not shadow (or later delete) the first one's timings.
  WriteMon("");
  MonitorModel* a = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  MonitorModel* b = Keep(MakeModel("Studio_21", {Timing(kRes1024x768, 8, 1, 75000)}));
  ASSERT_EQ(WriteUserModel(user_, a, kMonPath), 1);
  const std::string before = ReadMon();
  EXPECT_EQ(WriteUserModel(user_, b, kMonPath), 0);
  EXPECT_NE(std::string(LastMonitorDbProblem()).find("another model"), std::string::npos);
  EXPECT_EQ(ReadMon(), before);
}

TEST_F(UserModels, AFileHoldingANulIsRefused) {
  const std::string withNul = SimpleModel("Acme.Pro", 25175) + std::string(1, '\0') + SimpleModel("Acme.Next", 1);
  WriteMon(withNul);
  MonitorModel* model = Keep(MakeModel("Studio 21", {Timing(kRes1024x768, 8, 1, 65000)}));
  EXPECT_EQ(WriteUserModel(user_, model, kMonPath), 0);
  EXPECT_EQ(DeleteModelSections(user_, model, kMonPath), 0);
  EXPECT_EQ(ReadMon(), withNul);
}

}  // namespace
}  // namespace monitor_db
