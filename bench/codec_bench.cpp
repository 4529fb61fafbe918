// HE3 coding speed against zlib's Huffman-only deflate/inflate on the Quran text in UTF-16LE:
// the whole text as one member, and 3 KB slices each coded as a member of its own (a page of
// the reader is about that size, so each slice pays for its own tables).
//
// zlib runs as raw deflate (no zlib header, no Adler-32), level 6, Z_HUFFMAN_ONLY, one
// z_stream reused with deflateReset/inflateReset; inflate produces each member into an output
// array allocated for it, as DecodeByte does. HE3 runs through the public calls, each on a
// fresh copy of its input, as a caller that keeps its data must do with the in/out array.
//
// Counters: out_MB/s is bytes produced per second (decoded bytes for decoders, stream bytes for
// encoders), in_MB/s bytes consumed per second, compressed the total stream size in bytes.
// A summary of the throughput ratios follows the table.

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/clsCompress.h"
#include "tests/support/QuranText.h"

namespace {

constexpr size_t kSliceSize = 3 * 1024;

using Bytes = std::vector<uint8_t>;

Bytes MakeHe3Stream(const Bytes& data) {
    Bytes stream = data;
    pagora::clsCompress().EncodeByte(stream, static_cast<int32_t>(stream.size()));
    return stream;
}

class ZlibCoder {
  public:
    ZlibCoder() {
        if (deflateInit2(&deflate_, 6, Z_DEFLATED, -15, 8, Z_HUFFMAN_ONLY) != Z_OK ||
            inflateInit2(&inflate_, -15) != Z_OK) {
            throw std::runtime_error("zlib initialisation failed");
        }
    }
    ~ZlibCoder() {
        deflateEnd(&deflate_);
        inflateEnd(&inflate_);
    }
    ZlibCoder(const ZlibCoder&) = delete;
    ZlibCoder& operator=(const ZlibCoder&) = delete;

    size_t Bound(size_t size) { return deflateBound(&deflate_, static_cast<uLong>(size)); }

    // Returns the stream length written into `out` (which holds at least Bound(size) bytes).
    size_t Deflate(const uint8_t* data, size_t size, uint8_t* out, size_t capacity) {
        deflateReset(&deflate_);
        deflate_.next_in = const_cast<Bytef*>(data);
        deflate_.avail_in = static_cast<uInt>(size);
        deflate_.next_out = out;
        deflate_.avail_out = static_cast<uInt>(capacity);
        if (deflate(&deflate_, Z_FINISH) != Z_STREAM_END) {
            throw std::runtime_error("deflate did not finish");
        }
        return deflate_.total_out;
    }

    size_t Inflate(const uint8_t* stream, size_t size, uint8_t* out, size_t capacity) {
        inflateReset(&inflate_);
        inflate_.next_in = const_cast<Bytef*>(stream);
        inflate_.avail_in = static_cast<uInt>(size);
        inflate_.next_out = out;
        inflate_.avail_out = static_cast<uInt>(capacity);
        if (inflate(&inflate_, Z_FINISH) != Z_STREAM_END) {
            throw std::runtime_error("inflate did not finish");
        }
        return inflate_.total_out;
    }

  private:
    z_stream deflate_{};
    z_stream inflate_{};
};

struct Member {
    Bytes data;
    Bytes he3;
    Bytes zlib;
};

struct Corpus {
    std::vector<Member> whole;
    std::vector<Member> slices;
};

const Corpus& TheCorpus() {
    static const Corpus corpus = [] {
        Corpus c;
        const Bytes text = pagora::testing::QuranTextUtf16(PAGORA_NODE_MODULES);
        ZlibCoder zlib;
        auto make = [&](Bytes data) {
            Member m;
            m.he3 = MakeHe3Stream(data);
            Bytes out(zlib.Bound(data.size()));
            out.resize(zlib.Deflate(data.data(), data.size(), out.data(), out.size()));
            m.zlib = std::move(out);
            m.data = std::move(data);
            return m;
        };
        c.whole.push_back(make(text));
        for (size_t at = 0; at < text.size(); at += kSliceSize) {
            const size_t end = std::min(text.size(), at + kSliceSize);
            c.slices.push_back(make(Bytes(text.begin() + at, text.begin() + end)));
        }
        // Both decoders must give the text back before their speed means anything.
        for (const auto* set : {&c.whole, &c.slices}) {
            for (const Member& m : *set) {
                Bytes he3 = m.he3;
                pagora::clsCompress().DecodeByte(he3, static_cast<int32_t>(he3.size()));
                Bytes back(m.data.size());
                back.resize(zlib.Inflate(m.zlib.data(), m.zlib.size(), back.data(), back.size()));
                if (he3 != m.data || back != m.data) {
                    throw std::runtime_error("a coder does not give the text back");
                }
            }
        }
        return c;
    }();
    return corpus;
}

const std::vector<Member>& Members(bool slices) {
    return slices ? TheCorpus().slices : TheCorpus().whole;
}

void SetCounters(benchmark::State& state, size_t in, size_t out, size_t compressed,
                 size_t members) {
    const double iterations = static_cast<double>(state.iterations());
    state.counters["in_MB/s"] =
        benchmark::Counter(in * iterations / 1e6, benchmark::Counter::kIsRate);
    state.counters["out_MB/s"] =
        benchmark::Counter(out * iterations / 1e6, benchmark::Counter::kIsRate);
    state.counters["compressed"] = static_cast<double>(compressed);
    state.counters["members"] = static_cast<double>(members);
}

void BM_He3Encode(benchmark::State& state, bool slices) {
    const auto& members = Members(slices);
    size_t in = 0;
    size_t out = 0;
    Bytes work;
    for (auto _ : state) {
        in = out = 0;
        for (const Member& m : members) {
            work = m.data;
            pagora::clsCompress().EncodeByte(work, static_cast<int32_t>(work.size()));
            benchmark::DoNotOptimize(work.data());
            in += m.data.size();
            out += work.size();
        }
    }
    SetCounters(state, in, out, out, members.size());
}

void BM_He3Decode(benchmark::State& state, bool slices) {
    const auto& members = Members(slices);
    size_t in = 0;
    size_t out = 0;
    Bytes work;
    for (auto _ : state) {
        in = out = 0;
        for (const Member& m : members) {
            work = m.he3;
            pagora::clsCompress().DecodeByte(work, static_cast<int32_t>(work.size()));
            benchmark::DoNotOptimize(work.data());
            in += m.he3.size();
            out += work.size();
        }
    }
    SetCounters(state, in, out, in, members.size());
}

void BM_ZlibDeflate(benchmark::State& state, bool slices) {
    const auto& members = Members(slices);
    ZlibCoder zlib;
    Bytes work(zlib.Bound(slices ? kSliceSize : members[0].data.size()));
    size_t in = 0;
    size_t out = 0;
    for (auto _ : state) {
        in = out = 0;
        for (const Member& m : members) {
            out += zlib.Deflate(m.data.data(), m.data.size(), work.data(), work.size());
            benchmark::DoNotOptimize(work.data());
            in += m.data.size();
        }
    }
    SetCounters(state, in, out, out, members.size());
}

// Like DecodeByte, each member is inflated into an output array of its own, allocated for it
// (raw deflate does not record the size: the caller keeps it, here the member's).
void BM_ZlibInflate(benchmark::State& state, bool slices) {
    const auto& members = Members(slices);
    ZlibCoder zlib;
    size_t in = 0;
    size_t out = 0;
    for (auto _ : state) {
        in = out = 0;
        for (const Member& m : members) {
            Bytes work(m.data.size());
            work.resize(zlib.Inflate(m.zlib.data(), m.zlib.size(), work.data(), work.size()));
            benchmark::DoNotOptimize(work.data());
            in += m.zlib.size();
            out += work.size();
        }
    }
    SetCounters(state, in, out, in, members.size());
}

// Collects out_MB/s per benchmark (median over repetitions) for the closing summary.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred) {
                continue;
            }
            auto it = run.counters.find("out_MB/s");
            if (it == run.counters.end()) {
                continue;
            }
            const std::string name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                medians_[name] = it->second.value;
            } else if (run.run_type == Run::RT_Iteration) {
                rates_[name].push_back(it->second.value);
            }
        }
    }

    void PrintSummary() const {
        std::printf("\nOutput throughput (out_MB/s; the median when repeated):\n");
        for (const char* set : {"whole", "slices"}) {
            const double he3Dec = Median("decode/" + std::string(set) + "/he3");
            const double zDec = Median("decode/" + std::string(set) + "/zlib");
            const double he3Enc = Median("encode/" + std::string(set) + "/he3");
            const double zEnc = Median("encode/" + std::string(set) + "/zlib");
            if (he3Dec > 0 && zDec > 0) {
                std::printf(
                    "  %-6s decode: HE3 %8.1f MB/s, zlib %8.1f MB/s, ratio %.2f (target 2.00: "
                    "%s)\n",
                    set, he3Dec, zDec, he3Dec / zDec, he3Dec >= 2 * zDec ? "met" : "NOT met");
            }
            if (he3Enc > 0 && zEnc > 0) {
                std::printf(
                    "  %-6s encode: HE3 %8.1f MB/s, zlib %8.1f MB/s, ratio %.2f (target 1.00: "
                    "%s)\n",
                    set, he3Enc, zEnc, he3Enc / zEnc, he3Enc >= zEnc ? "met" : "NOT met");
            }
        }
    }

  private:
    double Median(const std::string& name) const {
        if (auto m = medians_.find(name); m != medians_.end()) {
            return m->second;
        }
        auto it = rates_.find(name);
        if (it == rates_.end() || it->second.empty()) {
            return 0;
        }
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }

    std::map<std::string, double> medians_;
    std::map<std::string, std::vector<double>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    // Five repetitions by default: the machine is shared, single runs wander.
    std::vector<char*> args(argv, argv + argc);
    bool repetitions = false;
    for (int k = 1; k < argc; ++k) {
        repetitions = repetitions || std::strncmp(argv[k], "--benchmark_repetitions", 23) == 0;
    }
    // Repetitions of the benchmarks are run in random order, so that load from elsewhere falls
    // on all of them alike rather than on whichever ran at the time.
    std::string defaultRepetitions = "--benchmark_repetitions=5";
    std::string aggregatesOnly = "--benchmark_display_aggregates_only=true";
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    if (!repetitions) {
        args.push_back(defaultRepetitions.data());
        args.push_back(aggregatesOnly.data());
        args.push_back(interleave.data());
    }
    argc = static_cast<int>(args.size());
    args.push_back(nullptr);
    argv = args.data();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    try {
        TheCorpus();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "codec_bench: %s\n", e.what());
        return 1;
    }
    for (bool slices : {false, true}) {
        const std::string set = slices ? "slices" : "whole";
        benchmark::RegisterBenchmark(("decode/" + set + "/he3").c_str(), BM_He3Decode, slices);
        benchmark::RegisterBenchmark(("decode/" + set + "/zlib").c_str(), BM_ZlibInflate, slices);
        benchmark::RegisterBenchmark(("encode/" + set + "/he3").c_str(), BM_He3Encode, slices);
        benchmark::RegisterBenchmark(("encode/" + set + "/zlib").c_str(), BM_ZlibDeflate, slices);
    }
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
