#include "editor/board/RandomFill.h"

#include <algorithm>

namespace tolv {

namespace {

constexpr bool IsRandomTerrain(TerrainCode t) { return t >= tcWiese && t <= tcBerg; }

// The remainder of T div 5 goes, one cell each, to Wiese, Wald, Moor and
// Fels in this order; Berg never gets one.
void AddRemainder(TerrainUrn& urn, std::int32_t r)
{
    for (int t = tcWiese; t < tcWiese + r && t <= tcFels; ++t)
        ++urn.need[t];
}

void SumUrn(TerrainUrn& urn)
{
    urn.N = 0;
    for (int t = tcWiese; t <= tcBerg; ++t)
        urn.N += urn.need[t];
}

std::int32_t RandomTotal(const TerrainCounts& count)
{
    return count[tcBeliebig] + count[tcWiese] + count[tcWald] + count[tcMoor] +
           count[tcFels] + count[tcBerg];
}

// The quota q = T div 5 per terrain, less what the board already holds of
// it when only the beliebig cells are filled; then the remainder's cells.
TerrainUrn MakeUrn(const TerrainCounts& count, bool fillUp)
{
    TerrainUrn urn;
    const std::int32_t T = RandomTotal(count);
    const std::int32_t q = T / 5;
    for (int t = tcWiese; t <= tcBerg; ++t)
        urn.need[t] = fillUp ? std::max(q - count[t], 0) : q;
    AddRemainder(urn, T - 5 * q);
    SumUrn(urn);
    return urn;
}

} // namespace

std::uint32_t RandomGenerator::Random(std::uint32_t N)
{
    state_ = state_ * Multiplier + 1u;
    return std::uint32_t((std::uint64_t(N) * state_) >> 32);
}

RandomGenerator& ProgramRandom()
{
    static RandomGenerator gen;
    return gen;
}

TerrainCounts CountBoard(const BoardArray& board)
{
    TerrainCounts count{};
    for (const auto& column : board)
        for (const TerrainCell& cell : column)
            if (cell.Terrain >= 1 && cell.Terrain <= 11)
                ++count[cell.Terrain];
    return count;
}

TerrainCode TerrainUrn::Draw(RandomGenerator& gen)
{
    // N never goes negative: a terrain is only taken while its need is left.
    const std::int64_t x = std::int64_t(gen.Random(std::uint32_t(std::max(N, 0)))) + 1;
    std::int64_t sum = 0;
    for (int t = tcWiese; t <= tcBerg; ++t) {
        sum += need[t];
        if (x <= sum) {
            --need[t];
            --N;
            return t;
        }
    }
    return tcBeliebig;
}

TerrainUrn MakeFillUrn(const TerrainCounts& count)
{
    return MakeUrn(count, true);
}

TerrainUrn MakeAllUrn(const TerrainCounts& count)
{
    return MakeUrn(count, false);
}

TerrainCode DrawTerrainForFill(TerrainUrn& urn, RandomGenerator& gen) { return urn.Draw(gen); }
TerrainCode DrawTerrainForAll(TerrainUrn& urn, RandomGenerator& gen) { return urn.Draw(gen); }

bool FillBeliebig(BoardArray& board, RandomGenerator& gen)
{
    for (auto& column : board)
        for (TerrainCell& cell : column)
            if (cell.RandomFill)
                cell.Terrain = tcBeliebig;

    const TerrainCounts count = CountBoard(board);
    if (count[tcBeliebig] < 1)
        return false;

    TerrainUrn urn = MakeFillUrn(count);
    for (auto& column : board)
        for (TerrainCell& cell : column)
            if (cell.Terrain == tcBeliebig) {
                cell.Terrain = DrawTerrainForFill(urn, gen);
                cell.RandomFill = true;
            }
    return true;
}

bool DistributeAll(BoardArray& board, RandomGenerator& gen)
{
    for (auto& column : board)
        for (TerrainCell& cell : column)
            cell.RandomFill = false;

    const TerrainCounts count = CountBoard(board);
    if (RandomTotal(count) < 1)
        return false;

    TerrainUrn urn = MakeAllUrn(count);
    for (auto& column : board)
        for (TerrainCell& cell : column)
            if (cell.Terrain == tcBeliebig || IsRandomTerrain(cell.Terrain))
                cell.Terrain = DrawTerrainForAll(urn, gen);
    return true;
}

TerrainAnimation::TerrainAnimation(BoardArray& board, BoardArray& backup,
                                   RandomGenerator& gen, AnimationHost* host)
    : board_(board), backup_(backup), gen_(gen), host_(host)
{
}

bool TerrainAnimation::Start()
{
    if (running_)
        return false;
    if (host_)
        host_->AnimationRunning(true);
    backup_ = board_;
    for (auto& column : board_)
        for (TerrainCell& cell : column)
            cell = TerrainCell{tcBeliebig, false};
    tag_ = 0;
    running_ = true;
    return true;
}

bool TerrainAnimation::Tick()
{
    if (!running_)
        return false;
    if (DistributeAll(board_, gen_) && host_)
        host_->BoardReplaced();
    ++tag_;
    if (tag_ > 15000 / interval_) {
        Finish();
        return true;
    }
    return false;
}

bool TerrainAnimation::StopAndRestore()
{
    if (!running_)
        return false;
    Finish();
    return true;
}

void TerrainAnimation::Finish()
{
    running_ = false;
    if (host_)
        host_->AnimationRunning(false);
    board_ = backup_;
    if (host_)
        host_->BoardReplaced();
}

} // namespace tolv
