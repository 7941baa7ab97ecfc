// Fits the weights that turn the picker's evidence into confidences (signal/pick/
// Confidence.h): runs the picker on the layered model bolts it is tuned on, marks each
// pick right or wrong, and fits a logistic regression per kind (free end, bottom,
// defect). Every fourth bolt is given without its design lengths, the others with the
// design lengths the model draws (within 10 % of the built ones). Prints the weights to
// paste into Confidence.h and the reliability of the confidences they give on the bolts
// they were fitted on. The other model is never used here: it only judges, in
// rovana-pick-bench.
//
// Usage: rovana-pick-fit [--bolts=N] [--first=SEED]   (default 4000 bolts from seed 1)
#include "Agreement.h"
#include "Confidence.h"
#include "LabelledBolt.h"
#include "PickScore.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

using rovana::pick::Evidence;
using rovana::pick::kEvidenceSize;
using rovana::pick::Weights;

struct Sample
{
    Evidence evidence;
    bool right;
};

// Solves a x = b in place (Gaussian elimination, partial pivoting); false when singular.
bool Solve(std::array<std::array<double, kEvidenceSize>, kEvidenceSize>& a,
           std::array<double, kEvidenceSize>& b)
{
    constexpr std::size_t n = kEvidenceSize;
    for (std::size_t c = 0; c < n; ++c) {
        std::size_t p = c;
        for (std::size_t r = c + 1; r < n; ++r) {
            if (std::abs(a[r][c]) > std::abs(a[p][c]))
                p = r;
        }
        if (!(std::abs(a[p][c]) > 0.0))
            return false;
        std::swap(a[c], a[p]);
        std::swap(b[c], b[p]);
        for (std::size_t r = c + 1; r < n; ++r) {
            const double f = a[r][c] / a[c][c];
            for (std::size_t k = c; k < n; ++k)
                a[r][k] -= f * a[c][k];
            b[r] -= f * b[c];
        }
    }
    for (std::size_t c = n; c-- > 0;) {
        for (std::size_t k = c + 1; k < n; ++k)
            b[c] -= a[c][k] * b[k];
        b[c] /= a[c][c];
    }
    return true;
}

// Logistic regression by Newton's method, with a small ridge that keeps unused evidence
// at weight 0.
Weights Fit(const std::vector<Sample>& samples)
{
    Weights w{};
    for (int round = 0; round < 50; ++round) {
        std::array<std::array<double, kEvidenceSize>, kEvidenceSize> h{};
        std::array<double, kEvidenceSize> g{};
        for (const Sample& s : samples) {
            const double p = rovana::pick::Probability(s.evidence, w);
            for (std::size_t i = 0; i < kEvidenceSize; ++i) {
                g[i] += (p - (s.right ? 1.0 : 0.0)) * s.evidence[i];
                for (std::size_t j = 0; j < kEvidenceSize; ++j)
                    h[i][j] += p * (1.0 - p) * s.evidence[i] * s.evidence[j];
            }
        }
        for (std::size_t i = 0; i < kEvidenceSize; ++i) {
            g[i] += 1.0 * w[i];
            h[i][i] += 1.0;
        }
        if (!Solve(h, g))
            break;
        double step = 0.0;
        for (std::size_t i = 0; i < kEvidenceSize; ++i) {
            w[i] -= g[i];
            step += std::abs(g[i]);
        }
        if (step < 1e-9)
            break;
    }
    return w;
}

// The monotone map from the fitted function's value to the share right (Confidence.h):
// the tenths' mean value and share right, neighbours pooled until the shares rise; tenths
// of fewer than 20 picks left out.
rovana::pick::Calibration Calibrate(const std::vector<Sample>& samples, const Weights& w)
{
    struct Bin
    {
        double p = 0.0, right = 0.0, count = 0.0;
    };
    std::vector<Bin> bins(10);
    for (const Sample& s : samples) {
        const double p = rovana::pick::Probability(s.evidence, w);
        Bin& b = bins[static_cast<std::size_t>(std::clamp(static_cast<int>(p * 10.0), 0, 9))];
        b.p += p;
        b.right += s.right ? 1.0 : 0.0;
        b.count += 1.0;
    }
    std::vector<Bin> kept;
    for (const Bin& b : bins) {
        if (b.count >= 20.0)
            kept.push_back(b);
    }
    // Pool adjacent tenths whose shares fall.
    for (bool pooled = true; pooled;) {
        pooled = false;
        for (std::size_t i = 0; i + 1 < kept.size(); ++i) {
            if (kept[i].right / kept[i].count > kept[i + 1].right / kept[i + 1].count) {
                kept[i].p += kept[i + 1].p;
                kept[i].right += kept[i + 1].right;
                kept[i].count += kept[i + 1].count;
                kept.erase(kept.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                pooled = true;
                break;
            }
        }
    }
    rovana::pick::Calibration c;
    for (const Bin& b : kept) {
        c.x[static_cast<std::size_t>(c.count)] = b.p / b.count;
        c.y[static_cast<std::size_t>(c.count)] = b.right / b.count;
        ++c.count;
    }
    return c;
}

void Print(const char* name, const std::vector<Sample>& samples, std::size_t used = kEvidenceSize,
           const char* calibrationName = nullptr)
{
    const Weights w = Fit(samples);
    std::printf("inline constexpr %s %s = {",
                used == kEvidenceSize ? "Weights" : "std::array<double, 4>", name);
    for (std::size_t i = 0; i < used; ++i)
        std::printf("%s%.4f", i == 0 ? "" : ", ", w[i]);
    std::printf("};\n");
    rovana::pick::Calibration c;
    if (calibrationName) {
        c = Calibrate(samples, w);
        std::printf("inline constexpr Calibration %s{{", calibrationName);
        for (int i = 0; i < 10; ++i)
            std::printf("%s%.4f", i == 0 ? "" : ", ", c.x[static_cast<std::size_t>(i)]);
        std::printf("}, {");
        for (int i = 0; i < 10; ++i)
            std::printf("%s%.4f", i == 0 ? "" : ", ", c.y[static_cast<std::size_t>(i)]);
        std::printf("}, %d};\n", c.count);
    }
    rovana::boltmodel::Reliability r;
    for (const Sample& s : samples)
        r.Add(rovana::pick::Calibrated(rovana::pick::Probability(s.evidence, w), c), s.right);
    std::printf("%s", rovana::boltmodel::FormatReliability(name, r).c_str());
}

} // namespace

int main(int argc, char** argv)
{
    int bolts = 4000;
    std::uint64_t first = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--bolts=", 8) == 0)
            bolts = std::max(1, std::atoi(argv[i] + 8));
        else if (std::strncmp(argv[i], "--first=", 8) == 0)
            first = std::strtoull(argv[i] + 8, nullptr, 10);
        else {
            std::fprintf(stderr, "用法: rovana-pick-fit [--bolts=N] [--first=SEED]\n");
            return 2;
        }
    }
    using rovana::boltmodel::Model;
    std::vector<Sample> freeEnds, bottoms, defects;
    for (int k = 0; k < bolts; ++k) {
        const auto b = rovana::boltmodel::MakeLabelledBolt(Model::Layered,
                                                           first + static_cast<std::uint64_t>(k));
        // Every fourth bolt without its design lengths, which a record may lack.
        rovana::pick::PickInput input = rovana::boltmodel::InputOf(b);
        if (k % 4 == 3)
            input.designLength = input.designFreeLength = 0.0;
        const auto r = rovana::pick::PickEchoes(input);
        for (const auto& e : {r.freeEnd, r.withheldFreeEnd}) {
            if (e)
                freeEnds.push_back({r.freeEndEvidence, rovana::boltmodel::FreeEndRight(b, r, *e)});
        }
        for (const auto& e : {r.bottom, r.withheldBottom}) {
            if (e)
                bottoms.push_back({r.bottomEvidence, rovana::boltmodel::BottomRight(b, r, *e)});
        }
        std::size_t i = 0;
        for (const auto* list : {&r.defects, &r.withheldDefects}) {
            for (const auto& d : *list)
                defects.push_back({r.defectEvidence[i++], rovana::boltmodel::DefectRight(b, r, d)});
        }
    }
    std::printf("layered model bolts, seeds %llu..%llu\n", static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + static_cast<std::uint64_t>(bolts) - 1));
    Print("kFreeEndWeights", freeEnds, kEvidenceSize, "kFreeEndCalibration");
    Print("kBottomWeights", bottoms, kEvidenceSize, "kBottomCalibration");
    Print("kDefectWeights", defects, kEvidenceSize, "kDefectCalibration");

    // Three blows of a third as many bolts: how agreement moves a confidence.
    std::vector<Sample> agreed;
    for (int k = 0; k < bolts / 3; ++k) {
        const std::uint64_t seed = first + static_cast<std::uint64_t>(k);
        const auto b = rovana::boltmodel::MakeLabelledBolt(Model::Layered, seed);
        const auto records = rovana::boltmodel::RecordChannels(Model::Layered, seed, 3);
        std::vector<rovana::pick::PickInput> inputs;
        for (const auto& samples : records) {
            rovana::pick::PickInput input = rovana::boltmodel::InputOf(b);
            input.samples = samples;
            inputs.push_back(input);
        }
        rovana::pick::ChannelsPicked picked;
        for (const auto& input : inputs)
            picked.channels.push_back(rovana::pick::PickEchoes(input));
        rovana::pick::CompareChannels(inputs, picked);
        for (const int i : picked.compared) {
            const auto& r = picked.channels[static_cast<std::size_t>(i)];
            const auto& count = picked.agreeing[static_cast<std::size_t>(i)];
            const auto add = [&](const std::optional<rovana::pick::PickedEcho>& e, int agree,
                                 int against, bool right) {
                Evidence x{};
                x[0] = 1.0f;
                x[1] = static_cast<float>(rovana::pick::Logit(e->confidence));
                x[2] = static_cast<float>(agree);
                x[3] = static_cast<float>(against);
                agreed.push_back({x, right});
            };
            for (const auto& e : {r.freeEnd, r.withheldFreeEnd}) {
                if (e)
                    add(e, count.freeEnd, count.freeEndAgainst,
                        rovana::boltmodel::FreeEndRight(b, r, *e));
            }
            for (const auto& e : {r.bottom, r.withheldBottom}) {
                if (e)
                    add(e, count.bottom, count.bottomAgainst,
                        rovana::boltmodel::BottomRight(b, r, *e));
            }
        }
    }
    Print("kAgreementWeights", agreed, 4);
    return 0;
}
