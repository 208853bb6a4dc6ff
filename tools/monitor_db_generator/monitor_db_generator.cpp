#include "monitor_db_generator.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <vector>

namespace monitor_db_generator {
namespace {

// VESA DMT timings (GTF for 1152x864 at 60, 70, 85 Hz), sync polarity 1 = negative.
struct Timing {
  const char* resolution;
  int clock;  // kHz
  int h[4], v[4];
  int hPol, vPol, interlaced;
};
const Timing kTimings[] = {
    {"640X480", 25175, {640, 16, 96, 48}, {480, 10, 2, 33}, 1, 1, 0},
    {"640X480", 31500, {640, 24, 40, 128}, {480, 9, 3, 28}, 1, 1, 0},
    {"640X480", 31500, {640, 16, 64, 120}, {480, 1, 3, 16}, 1, 1, 0},
    {"640X480", 36000, {640, 56, 56, 80}, {480, 1, 3, 25}, 1, 1, 0},
    {"800X600", 36000, {800, 24, 72, 128}, {600, 1, 2, 22}, 0, 0, 0},
    {"800X600", 40000, {800, 40, 128, 88}, {600, 1, 4, 23}, 0, 0, 0},
    {"800X600", 50000, {800, 56, 120, 64}, {600, 37, 6, 23}, 0, 0, 0},
    {"800X600", 49500, {800, 16, 80, 160}, {600, 1, 3, 21}, 0, 0, 0},
    {"800X600", 56250, {800, 32, 64, 152}, {600, 1, 3, 27}, 0, 0, 0},
    {"1024X768", 65000, {1024, 24, 136, 160}, {768, 3, 6, 29}, 1, 1, 0},
    {"1024X768", 75000, {1024, 24, 136, 144}, {768, 3, 6, 29}, 1, 1, 0},
    {"1024X768", 78750, {1024, 16, 96, 176}, {768, 1, 3, 28}, 0, 0, 0},
    {"1024X768", 94500, {1024, 48, 96, 208}, {768, 1, 3, 36}, 0, 0, 0},
    {"1152X864", 81620, {1152, 64, 120, 184}, {864, 1, 3, 27}, 1, 0, 0},
    {"1152X864", 96770, {1152, 72, 120, 192}, {864, 1, 3, 32}, 1, 0, 0},
    {"1152X864", 108000, {1152, 64, 128, 256}, {864, 1, 3, 32}, 0, 0, 0},
    {"1280X1024", 108000, {1280, 48, 112, 248}, {1024, 1, 3, 38}, 0, 0, 0},
    {"1280X1024", 135000, {1280, 16, 144, 248}, {1024, 1, 3, 38}, 0, 0, 0},
    {"1280X1024", 157500, {1280, 64, 160, 224}, {1024, 1, 3, 44}, 0, 0, 0},
    {"1600X1200", 162000, {1600, 64, 192, 304}, {1200, 1, 3, 46}, 0, 0, 0},
    {"1600X1200", 202500, {1600, 64, 192, 304}, {1200, 1, 3, 46}, 0, 0, 0},
    {"1600X1200", 229500, {1600, 64, 192, 304}, {1200, 1, 3, 46}, 0, 0, 0},
    {"1024X768", 44900, {1024, 8, 176, 56}, {768, 1, 8, 40}, 0, 0, 1},
    {"NTSC", 12273, {640, 16, 56, 68}, {480, 6, 6, 33}, 1, 1, 1},
    {"PAL", 14750, {768, 24, 72, 80}, {576, 4, 6, 39}, 1, 1, 1},
    {"720X400", 28322, {720, 18, 108, 54}, {400, 12, 2, 35}, 1, 0, 0},
};

// The model kinds, each a list of mode keys; the number after a key picks
// which of the resolution's timings it uses (0 = the slowest).
struct Key {
  const char* key;
  int rank;
};
const std::vector<std::vector<Key>> kKinds = {
    // plain keys, the television modes, and a width without a table index
    {{"640X480", 3}, {"800X600", 4}, {"1024X768", 3}, {"1152X864", 2}, {"1280X1024", 1}, {"1600X1200", 0},
     {"NTSC", 0}, {"PAL", 0}, {"720X400", 0}, {"1280X1024.X8", 2}},
    // depth keys
    {{"640X480", 0}, {"800X600.X8", 4}, {"800X600.X16", 3}, {"1024X768.X8", 3}, {"1024X768.X16", 2},
     {"1024X768.X24", 1}, {"1024X768.X32", 0}, {"1280X1024.X8", 2}, {"1280X1024.X16", 1}, {"1600X1200", 0}},
    // zoom keys
    {{"640X480.Z1", 3}, {"640X480.Z2", 1}, {"800X600.Z1", 4}, {"800X600.Z2", 2}, {"1024X768.Z1", 3},
     {"1024X768.Z2", 2}, {"1024X768.Z4", 0}, {"1152X864.Z1", 2}, {"1152X864.Z2", 1}, {"1280X1024", 1}},
    // depth-and-zoom keys
    {{"1024X768.X8.Z1", 3}, {"1024X768.X8.Z2", 2}, {"1024X768.X8.Z4", 1}, {"1024X768.X16.Z1", 2},
     {"1024X768.X16.Z2", 1}, {"1024X768.X16.Z4", 0}, {"1280X1024.X8.Z1", 2}, {"1280X1024.X8.Z2", 1},
     {"1280X1024.X16", 0}, {"640X480", 0}},
    // interlaced modes and lower-case keys
    {{"640x480", 0}, {"800x600", 1}, {"1024x768", 4}, {"ntsc", 0}, {"pal", 0}, {"1152x864.x8", 0},
     {"1152x864.x16", 0}, {"1280x1024", 0}, {"1600x1200.z1", 0}, {"1600x1200.z2", 0}},
};

const Timing& Pick(const char* keyText, int rank) {
  std::string key = keyText;
  for (char& c : key) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  const std::string resolution = key.substr(0, key.find('.'));
  std::vector<const Timing*> matches;
  for (const Timing& t : kTimings)
    if (resolution == t.resolution) matches.push_back(&t);
  // The interlaced 1024x768 timing stands last and is picked by the highest rank.
  return *matches[std::min<size_t>(static_cast<size_t>(rank), matches.size() - 1)];
}

class Writer {
 public:
  explicit Writer(uint32_t seed) : random_(seed) {}
  void Line(const std::string& text = "") { out_ += text + "\r\n"; }
  bool Chance(int percent) { return static_cast<int>(random_() % 100) < percent; }
  int Below(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  std::string& text() { return out_; }

 private:
  std::mt19937 random_;
  std::string out_;
};

void WriteTimingSection(Writer& w, const std::string& name, const Timing& t) {
  const char* spacing = w.Chance(50) ? "   =   " : " = ";
  w.Line("[" + name + "]");
  if (w.Chance(10)) w.Line("; " + std::string(t.resolution) + " from the VESA tables");
  const std::pair<const char*, int> fields[] = {
      {"PIXEL_CLK", t.clock}, {"H_DISP", t.h[0]},     {"H_FPORCH", t.h[1]},   {"H_SYNC", t.h[2]},
      {"H_BPORCH", t.h[3]},   {"H_SYNC_POL", t.hPol}, {"V_DISP", t.v[0]},     {"V_FPORCH", t.v[1]},
      {"V_SYNC", t.v[2]},     {"V_BPORCH", t.v[3]},   {"V_SYNC_POL", t.vPol}, {"INTERLACE_ENABLE", t.interlaced}};
  for (const auto& [key, value] : fields) w.Line(std::string(key) + spacing + std::to_string(value));
  w.Line();
}

}  // namespace

std::string GenerateMonitorDatabase(const Options& options, Stats* stats) {
  Writer w(options.seed);
  Stats s;
  w.Line("; A generated monitor database: every feature of the OVX.MON grammar, many times over.");
  w.Line();
  for (int m = 0; m < options.models; ++m) {
    const int maker = m / options.modelsPerManufacturer;
    if (m % options.modelsPerManufacturer == 0) ++s.manufacturers;
    char names[96];
    std::snprintf(names, sizeof names, "Maker %03d.Series %d-%d", maker, m % 7 + 1, m);
    const std::string section = names;
    std::snprintf(names, sizeof names, "*M%03d_S%d_", maker, m);
    const std::string base = names;
    const std::vector<Key>& keys = kKinds[static_cast<size_t>(m) % kKinds.size()];
    ++s.models;

    w.Line("[" + section + "]");
    if (w.Chance(20)) w.Line(";  mode keys, one timing section each");
    std::vector<std::pair<std::string, const Timing*>> sections;
    for (size_t k = 0; k < keys.size(); ++k) {
      const Timing& t = Pick(keys[k].key, keys[k].rank);
      // Every 25th model lets its two 800x600 depth keys share one timing section.
      const bool share = m % 25 == 11 && k == 2;
      const std::string name = base + ",(" + (share ? sections.back().first.substr(base.size() + 2) : std::string(keys[k].key) + ")");
      const std::string mark = t.interlaced ? "I" : "NI";
      if (w.Chance(50))
        w.Line(std::string(keys[k].key) + "  =     " + mark + ", " + name + (w.Chance(10) ? "   " : ""));
      else
        w.Line(std::string(keys[k].key) + "=" + mark + "," + name);
      ++s.modeKeys;
      if (!share) sections.push_back({name, &t});
    }
    if (m % 10 == 5) w.Line("1600X1200.X32  =  not offered by this model");  // defines no timing
    w.Line();
    for (const auto& [name, timing] : sections) {
      WriteTimingSection(w, name, *timing);
      ++s.timingSections;
    }
    if (m == 0) {
      // Once the first model decided dot mode, a name with only a space is ignored.
      w.Line("[Read me]");
      w.Line("This section has no full stop in its name: the reader ignores it");
      w.Line();
    }
    if (m % 100 == 42) {
      // A second section of the same model is ignored.
      w.Line("[" + section + "]");
      w.Line("640X480 = NI, *Never_read");
      w.Line();
    }
  }
  std::string text = std::move(w.text());
  while (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0) text.resize(text.size() - 2);
  if (stats) *stats = s;
  return text;
}

}  // namespace monitor_db_generator
