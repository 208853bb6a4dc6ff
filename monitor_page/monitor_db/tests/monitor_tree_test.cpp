// Tree operations: lookups, copying, user models, deletion, pruning.
#include <gtest/gtest.h>

#include "test_support.h"

namespace monitor_db {
namespace {

class MonitorTree : public testing::MonitorDbTest {
 protected:
  // Builds manufacturers with models "name:clock,clock;name:clock" in list order.
  MonitorManufacturer* Add(const char* name, std::vector<std::pair<std::string, std::vector<LONG>>> models) {
    MonitorManufacturer* m = NewManufacturer(name);
    MonitorManufacturer** at = &tree_;
    MonitorManufacturer* prev = nullptr;
    while (*at) {
      prev = *at;
      at = &(*at)->next;
    }
    *at = m;
    m->prev = prev;
    MonitorModel* last = nullptr;
    for (auto& [modelName, clocks] : models) {
      MonitorModel* model = NewModel(modelName.c_str());
      model->prev = last;
      if (last)
        last->next = model;
      else
        m->models = model;
      last = model;
      for (LONG clock : clocks) {
        MonitorTiming* t = NewTiming();
        t->block.PIXEL_CLK = clock;
        AppendOldestTiming(model, t);
      }
    }
    return m;
  }
  std::vector<std::string> Shape() const {
    std::vector<std::string> shape;
    for (MonitorManufacturer* m = tree_; m; m = m->next) {
      std::string entry = m->name;
      entry += ":";
      for (MonitorModel* model = m->models; model; model = model->next) entry += std::string(model->name) + ",";
      shape.push_back(entry);
    }
    return shape;
  }
};

TEST_F(MonitorTree, Lookups) {
  MonitorManufacturer* acme = Add("Acme", {{"A", {1, 2}}, {"B", {3}}});
  MonitorManufacturer* zed = Add("Zed", {{"A", {4}}});
  acme->models->next->displayHandle = 11;
  acme->models->newest->older->displayHandle = 21;
  MonitorManufacturer* maker = nullptr;
  MonitorModel* model = nullptr;
  ASSERT_EQ(FindModelByNames(tree_, "Zed", "A", &maker, &model), 1);
  EXPECT_EQ(maker, zed);
  EXPECT_EQ(model, zed->models);
  EXPECT_EQ(FindModelByNames(tree_, "zed", "A", &maker, &model), 0);  // exact comparison
  EXPECT_EQ(FindModelByHandle(11, tree_), acme->models->next);
  EXPECT_EQ(FindModelByHandle(12, tree_), nullptr);
  EXPECT_EQ(FindModelByHandle(0, tree_), nullptr);  // 0 means "not shown", never a model
  EXPECT_EQ(FindManufacturerOf(zed->models, tree_), zed);
  EXPECT_EQ(FindTimingByHandle(21, acme->models), acme->models->newest->older);
  EXPECT_EQ(FindTimingByHandle(0, acme->models), nullptr);
}

TEST_F(MonitorTree, CopyModelKeepsOrderAndClearsTimingHandles) {
  MonitorManufacturer* acme = Add("Acme", {{"A", {1, 2, 3}}});
  MonitorModel* original = acme->models;
  original->displayHandle = 9;
  original->newest->displayHandle = 4;
  MonitorModel* copy = CopyModel(original);
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->name, "A");
  EXPECT_EQ(copy->displayHandle, 9u);
  EXPECT_EQ(copy->prev, nullptr);
  EXPECT_EQ(copy->next, nullptr);
  std::vector<LONG> clocks;
  const MonitorTiming* previous = nullptr;
  for (const MonitorTiming* t = copy->newest; t; t = t->older) {
    clocks.push_back(t->block.PIXEL_CLK);
    EXPECT_EQ(t->displayHandle, 0u);
    EXPECT_EQ(t->newer, previous);
    previous = t;
  }
  EXPECT_EQ(clocks, (std::vector<LONG>{1, 2, 3}));
  EXPECT_NE(copy->newest, original->newest);
  FreeModel(copy);
}

TEST_F(MonitorTree, AddUserModel) {
  Add("Acme", {{"Pro", {1}}});
  MonitorModel* pro = tree_->models;
  MonitorModel* copy = nullptr;
  ASSERT_EQ(AddUserModel(&tree_, pro, 0, &copy), 1);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:Pro,", "User-Defined:Pro,"}));  // created last
  EXPECT_EQ(copy, tree_->next->models);
  EXPECT_EQ(AddUserModel(&tree_, pro, 0), 0);  // same name, no replace
  pro->newest->block.PIXEL_CLK = 2;
  ASSERT_EQ(AddUserModel(&tree_, pro, 1, &copy), 1);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:Pro,", "User-Defined:Pro,"}));
  EXPECT_EQ(copy->newest->block.PIXEL_CLK, 2);
  // Replacing a user model by itself works from a copy made first.
  ASSERT_EQ(AddUserModel(&tree_, copy, 1, &copy), 1);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:Pro,", "User-Defined:Pro,"}));
  EXPECT_EQ(copy->newest->block.PIXEL_CLK, 2);
  strcpy(pro->name, "Pro 2");
  ASSERT_EQ(AddUserModel(&tree_, pro, 0), 1);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:Pro 2,", "User-Defined:Pro 2,Pro,"}));  // put first
}

TEST_F(MonitorTree, DeleteModel) {
  Add("Acme", {{"A", {1}}, {"B", {2}}, {"C", {3}}});
  Add("Solo", {{"S", {4}}});
  Add("Keep", {{"K", {5}}});
  DeleteModel(&tree_, tree_->models->next, 1);  // a middle model
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:A,C,", "Solo:S,", "Keep:K,"}));
  DeleteModel(&tree_, tree_->models, 1);  // the first model
  EXPECT_EQ(tree_->models->prev, nullptr);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:C,", "Solo:S,", "Keep:K,"}));
  DeleteModel(&tree_, tree_->next->models, 1);  // the only model, dropping its manufacturer
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:C,", "Keep:K,"}));
  EXPECT_EQ(tree_->next->prev, tree_);
  DeleteModel(&tree_, tree_->next->models, 0);  // without the flag the manufacturer stays
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Acme:C,", "Keep:"}));
  DeleteModel(&tree_, tree_->models, 1);
  EXPECT_EQ(Shape(), (std::vector<std::string>{"Keep:"}));
  MonitorModel* loose = NewModel("Loose");  // in no list
  DeleteModel(nullptr, loose, 1);
}

TEST_F(MonitorTree, PruneByPixelClock) {
  struct Case {
    DWORD maxMegahertz;
    std::vector<std::string> shape;
  };
  const Case cases[] = {
      {200, {"Acme:Low,Mid,High,", "Fast:Top,"}},
      {135, {"Acme:Low,Mid,"}},  // 135000 kHz is not above 135 MHz
      {134, {"Acme:Low,"}},
      {0, {}},  // removes every model, even one whose timings are all 0 kHz
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.maxMegahertz);
    FreeMonitorTree(&tree_);
    Add("Acme", {{"Low", {0, 25175}}, {"Mid", {65000, 135000}}, {"High", {25175, 157500}}});
    Add("Fast", {{"Top", {162000}}});
    Add("Empty", {});
    PruneByPixelClock(&tree_, c.maxMegahertz);
    EXPECT_EQ(Shape(), c.shape);
  }
}

}  // namespace
}  // namespace monitor_db
