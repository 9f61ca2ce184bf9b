// sv-bench-gen: writes a main base and a compared file of synthetic but
// realistic records for benchmarking sv-cli.
//
//   sv-bench-gen RECORDS DUPE_PERCENT SEED MAINBASE_OUT COMPARED_OUT
//
// Both files get RECORDS records. Exactly RECORDS * DUPE_PERCENT / 100 of the
// compared records carry a (Callsign, RDA Number) pair taken from the main
// base; every other compared pair is absent from it. On success one line goes
// to stdout so a caller can check sv-cli's answer:
//
//   records=R dupes=K matches=M kept=R-K
//
// dupes counts compared records whose pair is in the main base; matches counts
// (compared, main) record pairs that coincide, which is larger when the main
// base repeats a pair.
//
// The output depends on SEED alone: std::mt19937_64 is fully specified by the
// standard, and every draw below is a plain modulo of its output rather than a
// std::*_distribution, whose results differ between standard libraries.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using Rng = std::mt19937_64;

// Uniform enough for n far below 2^64; the bias is irrelevant for test data.
template <class Engine>
std::uint64_t below(Engine& rng, std::uint64_t n) {
  return rng() % n;
}

template <class Engine>
bool chance(Engine& rng, unsigned percent) {
  return below(rng, 100) < percent;
}

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "sv-bench-gen: %s\n", message.c_str());
  std::exit(1);
}

// Converts the UTF-8 literals below to Windows-1251, the encoding record files
// use for Cyrillic notes. Only ASCII and the Russian alphabet occur here.
std::string toCp1251(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    if (b0 < 0x80) {
      out += static_cast<char>(b0);
      ++i;
      continue;
    }
    if ((b0 & 0xE0) != 0xC0 || i + 1 >= utf8.size()) fail("unexpected text in a literal");
    const unsigned cp = ((b0 & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
    i += 2;
    if (cp >= 0x410 && cp <= 0x44F) {
      out += static_cast<char>(0xC0 + (cp - 0x410));
    } else if (cp == 0x401) {  // Ё
      out += static_cast<char>(0xA8);
    } else if (cp == 0x451) {  // ё
      out += static_cast<char>(0xB8);
    } else {
      fail("character without a Windows-1251 byte in a literal");
    }
  }
  return out;
}

std::vector<std::string> toCp1251(std::initializer_list<std::string_view> words) {
  std::vector<std::string> out;
  for (std::string_view w : words) out.push_back(toCp1251(w));
  return out;
}

// FNV-1a over both fields with a separator byte that cannot occur in either.
// Hand-rolled so that which "new" pairs get rejected never depends on the
// standard library's std::hash.
std::uint64_t pairKey(std::string_view callsign, std::string_view rda) {
  std::uint64_t h = 1469598103934665603ull;
  auto mix = [&h](std::string_view s) {
    for (unsigned char c : s) {
      h ^= c;
      h *= 1099511628211ull;
    }
  };
  mix(callsign);
  h ^= '\r';
  h *= 1099511628211ull;
  mix(rda);
  return h;
}

class Vocabulary {
 public:
  Vocabulary() {
    // Two-letter region codes; each region gets 16-47 numbered districts,
    // about 2,600 in all. The table is fixed, independent of the seed, the way
    // the real district list is the same for every log.
    static constexpr const char* kRegions[] = {
        "AB", "AD", "AL", "AM", "AO", "AR", "BA", "BO", "BR", "BU", "CB", "CK", "CN", "CT", "CU",
        "DA", "EA", "GA", "HA", "HK", "IN", "IR", "IV", "JA", "KA", "KB", "KC", "KE", "KG", "KI",
        "KK", "KL", "KM", "KN", "KO", "KP", "KR", "KS", "KT", "KU", "LO", "LP", "MA", "MD", "ME",
        "MO", "MR", "MU", "NN", "NO", "NV", "OB", "OM", "OR", "PE", "PK", "PM", "PS", "RA", "RK",
        "RO", "SA", "SL", "SM", "SO", "SP", "ST", "SV", "TA", "TB", "TL", "TO", "TN", "TT", "TU",
        "TV", "TY", "UD", "UL", "VG", "VL", "VO", "YN", "YO", "YR"};
    Rng table(20240601);
    for (const char* region : kRegions) {
      const unsigned count = 16 + static_cast<unsigned>(below(table, 32));
      for (unsigned n = 1; n <= count; ++n) {
        char code[8];
        std::snprintf(code, sizeof code, "%s-%02u", region, n);
        rdas.emplace_back(code);
      }
    }
  }

  std::vector<std::string> rdas;

  // Weighted like a real log: UA and RA calls are common, the rest rarer.
  std::vector<std::string_view> prefixes = {"UA", "UA", "UA", "RA", "RA", "RN", "RK",
                                            "RU", "RV", "RW", "RX", "RZ", "R",  "R"};

  std::vector<std::string> english = {"QSL received", "QSL sent", "via bureau", "direct",
                                      "LoTW",         "eQSL",     "new one",    "CW",
                                      "SSB",          "FT8",      "40m",        "20m",
                                      "80m",          "portable", "card lost",  "resend"};

  std::vector<std::string> cities =
      toCp1251({"Москва", "Санкт-Петербург", "Новосибирск", "Екатеринбург", "Казань",
                "Нижний Новгород", "Самара", "Омск", "Ростов-на-Дону", "Уфа", "Красноярск", "Пермь",
                "Воронеж", "Волгоград", "Тверь", "Орёл", "Якутск", "Владивосток"});

  std::vector<std::string> russian =
      toCp1251({"карточка получена", "подтверждено", "через бюро", "нет QSL", "повтор",
                "экспедиция", "получено", "отправлено", "ждём ответа", "район уточнить"});
};

std::string makeCallsign(Rng& rng, const Vocabulary& vocab) {
  std::string c(vocab.prefixes[below(rng, vocab.prefixes.size())]);
  c += static_cast<char>('0' + below(rng, 10));
  const unsigned roll = static_cast<unsigned>(below(rng, 100));
  const unsigned letters = roll < 10 ? 1 : roll < 50 ? 2 : 3;
  for (unsigned i = 0; i < letters; ++i) c += static_cast<char>('A' + below(rng, 26));
  const unsigned suffix = static_cast<unsigned>(below(rng, 100));
  if (suffix < 2) {
    c += "/P";
  } else if (suffix < 3) {
    c += "/M";
  }
  return c;
}

// Notes come from their own small generator seeded per record, so a compared
// record can repeat a main record's notes exactly without keeping them all.
class NotesRng {
 public:
  NotesRng(std::uint64_t seed, std::uint64_t stream, std::uint64_t index)
      : m_state(seed ^ (stream * 0xD1B54A32D192ED03ull) ^ (index * 0x9E3779B97F4A7C15ull)) {}

  // SplitMix64.
  std::uint64_t operator()() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

 private:
  std::uint64_t m_state;
};

void appendDate(std::string& out, NotesRng& rng) {
  const unsigned year = 1995 + static_cast<unsigned>(below(rng, 30));
  const unsigned month = 1 + static_cast<unsigned>(below(rng, 12));
  const unsigned day = 1 + static_cast<unsigned>(below(rng, 28));
  char text[16];
  if (chance(rng, 50)) {
    std::snprintf(text, sizeof text, "%02u.%02u.%04u", day, month, year);
  } else {
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", year, month, day);
  }
  out += text;
}

void appendNotes(std::string& out, NotesRng rng, const Vocabulary& vocab) {
  if (chance(rng, 12)) return;
  auto pick = [&rng](const std::vector<std::string>& list) -> const std::string& {
    return list[below(rng, list.size())];
  };
  const unsigned parts = 1 + static_cast<unsigned>(below(rng, 3));
  for (unsigned i = 0; i < parts; ++i) {
    if (i > 0) out += chance(rng, 50) ? ", " : " ";
    switch (below(rng, 4)) {
      case 0:
        appendDate(out, rng);
        break;
      case 1:
        out += pick(vocab.english);
        break;
      case 2:
        out += pick(vocab.cities);
        break;
      default:
        out += pick(vocab.russian);
        break;
    }
  }
}

// Appends to a memory buffer and hands it to stdio in large blocks.
class Writer {
 public:
  explicit Writer(const char* path) : m_path(path), m_file(std::fopen(path, "wb")) {
    if (m_file == nullptr) fail(std::string(path) + ": " + std::strerror(errno));
    m_buffer.reserve(kBlock + 4096);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  std::string& buffer() { return m_buffer; }

  void endRecord() {
    if (m_buffer.size() >= kBlock) flush();
  }

  void close() {
    flush();
    if (std::fclose(m_file) != 0) fail(std::string(m_path) + ": " + std::strerror(errno));
    m_file = nullptr;
  }

 private:
  static constexpr std::size_t kBlock = 1 << 20;

  void flush() {
    if (!m_buffer.empty() &&
        std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file) != m_buffer.size())
      fail(std::string(m_path) + ": " + std::strerror(errno));
    m_buffer.clear();
  }

  const char* m_path;
  std::FILE* m_file;
  std::string m_buffer;
};

void appendField(std::string& out, std::string_view field) {
  out += field;
  out += "\r\n";
}

std::uint64_t parseNumber(const char* text, const char* name, std::uint64_t max) {
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (*text == '\0' || *text == '-' || *end != '\0' || errno != 0 || value > max)
    fail(std::string("bad ") + name + ": " + text);
  return value;
}

struct MainRecord {
  std::uint32_t callsign;  // index into the callsign pool
  std::uint32_t rda;       // index into the district table
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: sv-bench-gen RECORDS DUPE_PERCENT SEED MAINBASE_OUT COMPARED_OUT\n");
    return 2;
  }
  const std::uint64_t records = parseNumber(argv[1], "RECORDS", 100'000'000);
  const std::uint64_t percent = parseNumber(argv[2], "DUPE_PERCENT", 100);
  const std::uint64_t seed = parseNumber(argv[3], "SEED", UINT64_MAX);

  Rng rng(seed);
  const Vocabulary vocab;
  // Streams for NotesRng, so main and compared notes never share a sequence.
  constexpr std::uint64_t kMainNotes = 1, kComparedNotes = 2;

  // Stations recur across districts, so calls come from a pool a few times
  // smaller than the log; a call then shows up with several RDA numbers.
  std::vector<std::string> pool(records / 3 + 16);
  for (std::string& c : pool) c = makeCallsign(rng, vocab);

  std::vector<MainRecord> mainRecords;
  mainRecords.reserve(records);
  std::unordered_map<std::uint64_t, std::uint32_t> mainPairs;
  mainPairs.reserve(records);

  Writer mainOut(argv[4]);
  for (std::uint64_t i = 0; i < records; ++i) {
    MainRecord r;
    if (i > 0 && chance(rng, 1) && chance(rng, 50)) {
      // An occasional pair logged twice, with its own notes.
      r = mainRecords[below(rng, i)];
    } else {
      r.callsign = static_cast<std::uint32_t>(below(rng, pool.size()));
      r.rda = static_cast<std::uint32_t>(below(rng, vocab.rdas.size()));
    }
    mainRecords.push_back(r);
    ++mainPairs[pairKey(pool[r.callsign], vocab.rdas[r.rda])];
    std::string& out = mainOut.buffer();
    appendField(out, pool[r.callsign]);
    appendField(out, vocab.rdas[r.rda]);
    appendNotes(out, NotesRng(seed, kMainNotes, i), vocab);
    out += "\r\n";
    mainOut.endRecord();
  }
  mainOut.close();

  std::uint64_t dupesLeft = records * percent / 100;
  const std::uint64_t dupes = dupesLeft;
  std::uint64_t matches = 0;

  Writer comparedOut(argv[5]);
  std::string freshCall;
  for (std::uint64_t i = 0; i < records; ++i) {
    std::string& out = comparedOut.buffer();
    // Selection sampling: exactly `dupes` positions, spread at random.
    if (below(rng, records - i) < dupesLeft) {
      --dupesLeft;
      const std::uint64_t source = below(rng, records);
      const MainRecord r = mainRecords[source];
      const std::string& call = pool[r.callsign];
      const std::string& rda = vocab.rdas[r.rda];
      matches += mainPairs[pairKey(call, rda)];
      appendField(out, call);
      appendField(out, rda);
      // Often the very record of the main base, sometimes re-logged with
      // other notes.
      const bool sameNotes = chance(rng, 60);
      appendNotes(
          out, sameNotes ? NotesRng(seed, kMainNotes, source) : NotesRng(seed, kComparedNotes, i),
          vocab);
    } else {
      // A pair the main base lacks: a known station in another district, or
      // a station never seen before.
      const std::string* call;
      const std::string* rda;
      do {
        if (chance(rng, 50)) {
          call = &pool[below(rng, pool.size())];
        } else {
          freshCall = makeCallsign(rng, vocab);
          call = &freshCall;
        }
        rda = &vocab.rdas[below(rng, vocab.rdas.size())];
      } while (mainPairs.count(pairKey(*call, *rda)) != 0);
      appendField(out, *call);
      appendField(out, *rda);
      appendNotes(out, NotesRng(seed, kComparedNotes, i), vocab);
    }
    out += "\r\n";
    comparedOut.endRecord();
  }
  comparedOut.close();

  std::printf("records=%llu dupes=%llu matches=%llu kept=%llu\n",
              static_cast<unsigned long long>(records), static_cast<unsigned long long>(dupes),
              static_cast<unsigned long long>(matches),
              static_cast<unsigned long long>(records - dupes));
  return 0;
}
