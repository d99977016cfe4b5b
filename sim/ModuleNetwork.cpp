#include "sim/ModuleNetwork.h"

#include <cmath>

#include "link/Crc16.h"
#include "link/TimeLimits.h"

namespace velmora::sim {

namespace {
// A quiet line for this long ends any partial frame, as on a Modbus line.
constexpr uint64_t kResyncGapMs = 50;
// A long-running simulator keeps only the recent requests.
constexpr size_t kRequestLogLimit = 4096;
// The longest frame either way; a late reply is timed past the limit of any reply.
constexpr size_t kLongestFrame = 262;

uint32_t below(std::mt19937& rng, uint32_t n) {
    return static_cast<uint32_t>(rng() % n);
}
}  // namespace

void ModuleNetwork::setFaults(const FaultPlan& plan) {
    faults_ = plan;
    rng_.seed(plan.random.seed);
}

int requestFrameLength(const std::vector<uint8_t>& b) {
    if (b.size() < 2) return 0;
    switch (b[1]) {
        case 0x78:
            return 4;
        case 0x79:
            return 6;
        case 0x70:
        case 0x72:
        case 0x74:
        case 0x76:
        case 0x7A:
            return 7;
        case 0x73:
            return 8;
        case 0x71:
        case 0x75:
        case 0x77:
        case 0x7B:
            return b.size() < 5 ? 0 : 7 + b[4];
        default:
            return -1;
    }
}

SimNode& ModuleNetwork::addNode(uint8_t address) {
    return nodes_.try_emplace(address, address).first->second;
}

SimNode* ModuleNetwork::node(uint8_t address) {
    auto it = nodes_.find(address);
    return it == nodes_.end() ? nullptr : &it->second;
}

void ModuleNetwork::moveRam(SimModule& m, uint64_t elapsedMs) {
    const uint64_t inRise = elapsedMs % 40000;
    const uint64_t rise = (inRise < 20000 ? inRise : 40000 - inRise) / 20;
    const double swing = 128 + 100 * std::sin(2 * M_PI * static_cast<double>(elapsedMs % 20000) / 20000);
    m.ram[0x060] = static_cast<uint8_t>(elapsedMs / 1000);
    m.ram[0x061] = static_cast<uint8_t>(rise);
    m.ram[0x062] = static_cast<uint8_t>(rise >> 8);
    m.ram[0x063] = static_cast<uint8_t>(std::lround(swing));
}

std::vector<Reply> ModuleNetwork::feed(const uint8_t* data, size_t count, uint64_t nowMs) {
    std::vector<Reply> out;
    if (count == 0) return out;
    if (!firstByteMs_) firstByteMs_ = nowMs;
    if (movingRam_)
        for (auto& [address, node] : nodes_) moveRam(node.module(), nowMs - *firstByteMs_);
    if (nowMs - lastByteMs_ > kResyncGapMs) {
        pending_.clear();
        skipping_ = false;
    }
    lastByteMs_ = nowMs;
    if (skipping_) return out;
    pending_.insert(pending_.end(), data, data + count);
    for (;;) {
        int length = requestFrameLength(pending_);
        if (length < 0) {
            // Without its length the frame cannot be checked; the node still says it does
            // not know the command, and everything up to the next quiet gap is dropped.
            if (SimNode* n = node(pending_[0])) {
                std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + 2);
                frame.resize(7, 0);
                Reply r{*n->execute(frame), 0};
                applyFaults(r, 2, out);
            }
            pending_.clear();
            skipping_ = true;
            break;
        }
        if (length == 0 || pending_.size() < static_cast<size_t>(length)) break;
        std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + length);
        pending_.erase(pending_.begin(), pending_.begin() + length);
        if (requestLog_.size() >= kRequestLogLimit)
            requestLog_.erase(requestLog_.begin(), requestLog_.begin() + kRequestLogLimit / 2);
        requestLog_.push_back(frame);
        ++requests_;
        if (!link::frameCrcOk(frame.data(), frame.size())) continue;  // modules ignore noise
        uint8_t cid = frame[0];
        SimNode* n = node(cid);
        if (cid == 0) {
            // A broadcast: every node acts, none answers.
            for (auto& [adr, each] : nodes_) {
                std::vector<uint8_t> copy = frame;
                copy[0] = adr;
                each.execute(copy);
            }
            continue;
        }
        if (!n) continue;
        auto reply = n->execute(frame);
        if (!reply) continue;
        Reply r{std::move(*reply), 0};
        applyFaults(r, frame.size(), out);
    }
    return out;
}

void ModuleNetwork::fillHeader(std::vector<uint8_t>& b) {
    // Only the replies that carry a header: not an error reply, an identifier or an
    // initialisation answer.
    if (b.size() < 7 || (b[1] & 0x80) || b[1] == 0x78 || b[1] == 0x79) return;
    // Byte 2 always differs from the request's, so no reply echoes; byte 3 counts the
    // replies, so two answers to the same request differ too.
    ++headerFill_;
    b[2] = static_cast<uint8_t>(b[2] ^ 0xA5);
    b[3] = headerFill_;
    b[4] = static_cast<uint8_t>(b[4] ^ 0x5A);
    link::appendCrc(b.data(), b.size() - 2);
}

void ModuleNetwork::applyFaults(Reply& reply, size_t requestLength, std::vector<Reply>& out) {
    if (faults_.noEcho) fillHeader(reply.bytes);
    ++replies_;
    ++counts_.replies;
    if (faults_.dropEvery && replies_ % faults_.dropEvery == 0) {
        ++counts_.dropped;
        return;
    }
    if (faults_.corruptEvery && replies_ % faults_.corruptEvery == 0) {
        reply.bytes.back() ^= 0x5A;
        ++counts_.corrupted;
    }
    if (randomFault(reply, requestLength)) return;
    for (unsigned i = 0; i < faults_.strayBytes; ++i) reply.bytes.push_back(0xA5);
    reply.delayMs += faults_.lateMs;
    out.push_back(std::move(reply));
}

bool ModuleNetwork::randomFault(Reply& reply, size_t requestLength) {
    const RandomFaults& plan = faults_.random;
    if (plan.share <= 0) return false;
    // Drawn for every reply, hit or not, so one seed always gives the same sequence.
    const double draw = std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
    if (draw >= plan.share) return false;
    const unsigned weights = plan.dropWeight + plan.corruptWeight + plan.truncateWeight + plan.lateWeight;
    if (weights == 0) return false;
    unsigned pick = below(rng_, weights);
    if (pick < plan.dropWeight) {
        ++counts_.dropped;
        return true;
    }
    pick -= plan.dropWeight;
    std::vector<uint8_t>& b = reply.bytes;
    if (pick < plan.corruptWeight) {
        // An odd number of flipped bits: the Modbus CRC (a multiple of x + 1) sees every
        // one of those, so the reply cannot pass for a good one.
        const unsigned flips = below(rng_, 2) ? 3 : 1;
        const uint32_t bits = static_cast<uint32_t>(b.size() * 8);
        uint32_t chosen[3] = {bits, bits, bits};
        for (unsigned i = 0; i < flips; ++i) {
            uint32_t bit;
            do bit = below(rng_, bits);
            while (bit == chosen[0] || bit == chosen[1]);
            chosen[i] = bit;
            b[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
        }
        ++counts_.corrupted;
        return false;
    }
    pick -= plan.corruptWeight;
    if (pick < plan.truncateWeight) {
        b.resize(1 + below(rng_, static_cast<uint32_t>(b.size() - 1)));
        ++counts_.truncated;
        return false;
    }
    // Past the time the terminal allows the longest exchange, by up to another limit.
    const uint32_t limit = link::replyLimitMs(plan.baud);
    reply.delayMs += limit + link::wireTimeMs(requestLength + kLongestFrame, plan.baud) + 1 +
                     below(rng_, limit);
    ++counts_.late;
    return false;
}

}  // namespace velmora::sim
