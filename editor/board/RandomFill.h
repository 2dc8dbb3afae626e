#pragma once
// Random terrain distribution: the fixed generator, the urn of the five
// random terrains, "ergänzen", "alle Gelände" and the hidden animation.
// Everything works on the whole 41 x 81 board array, widget-free; the main
// window redraws and recounts when a call reports a change.
#include "editor/board/BoardState.h"

#include <cstdint>

namespace tolv {

// One generator for the whole run, never seeded: every run of the program
// draws the same sequence.
class RandomGenerator {
public:
    static constexpr std::uint32_t Multiplier = 134775813u;   // 0x08088405

    // Advances the state, then scales it to 0 .. N - 1 (0 for N of 0 or 1).
    std::uint32_t Random(std::uint32_t N);
    std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_ = 0;
};

// The program's generator (state 0 at start, shared by both commands and
// the animation).
RandomGenerator& ProgramRandom();

// Counts per terrain code over the whole array; codes outside 1..11 are not counted.
TerrainCounts CountBoard(const BoardArray& board);

// The cells still to be handed out per random terrain (Wiese .. Berg).
struct TerrainUrn {
    plat::NumberedArray<std::int32_t, tcWiese, tcBerg> need{};
    std::int32_t N = 0;                   // need[3] + ... + need[7]

    // One draw: a terrain 3..7 taken out of the urn, or tcBeliebig (nothing
    // taken) when the draw lands beyond what the urn holds.
    TerrainCode Draw(RandomGenerator& gen);
};

// The urns of the two commands, from the counts of the whole array.
// "ergänzen": fill up to equal shares of T = beliebig + the five terrains.
TerrainUrn MakeFillUrn(const TerrainCounts& count);
// "alle Gelände": exactly equal shares of all T cells.
TerrainUrn MakeAllUrn(const TerrainCounts& count);

// The urn draws of the two commands (one rule).
TerrainCode DrawTerrainForFill(TerrainUrn& urn, RandomGenerator& gen);
TerrainCode DrawTerrainForAll(TerrainUrn& urn, RandomGenerator& gen);

// "ergänzen": cells filled by the last run become beliebig again, then
// every beliebig cell (column by column, rows inner) gets a drawn terrain
// and is marked RandomFill. Returns true when the board was filled, i.e.
// the caller redraws and recounts; false when there was no beliebig cell.
bool FillBeliebig(BoardArray& board, RandomGenerator& gen = ProgramRandom());

// "alle Gelände": clears every RandomFill flag, then redraws every cell of
// beliebig or the five terrains from the urn. Returns true when cells were
// redrawn (caller redraws and recounts), false when there were none.
bool DistributeAll(BoardArray& board, RandomGenerator& gen = ProgramRandom());

// The window side of the animation: Image2 and the timer, and the refresh
// after the board was replaced.
class AnimationHost {
public:
    virtual ~AnimationHost() = default;
    // Running: show Image2 and enable the timer; not running: hide and disable.
    virtual void AnimationRunning(bool running) = 0;
    // The board changed wholesale: repaint and recount.
    virtual void BoardReplaced() = 0;
};

// The hidden animation: repeats "alle Gelände" on a board of beliebig cells
// for about fifteen seconds, then puts the user's board back.
class TerrainAnimation {
public:
    static constexpr int DefaultInterval = 500;   // ms, the timer's interval

    TerrainAnimation(BoardArray& board, BoardArray& backup,
                     RandomGenerator& gen = ProgramRandom(), AnimationHost* host = nullptr);

    void SetHost(AnimationHost* host) { host_ = host; }
    void SetInterval(int ms) { interval_ = ms > 0 ? ms : DefaultInterval; }
    int Interval() const { return interval_; }

    // Right button with Ctrl and Alt held (other keys may be held too).
    static bool IsStartGesture(bool rightButton, bool ctrl, bool alt)
    {
        return rightButton && ctrl && alt;
    }

    // Backs the board up and turns every cell into beliebig. A start while
    // running is ignored (it would back up the random board and lose the
    // user's); returns false then.
    bool Start();

    // One timer tick. Returns true when this tick ended the animation.
    bool Tick();

    // Ends a running animation and restores the board; every board command
    // calls this first. Returns true when an animation was running.
    bool StopAndRestore();

    bool Running() const { return running_; }
    int Tag() const { return tag_; }

private:
    void Finish();

    BoardArray& board_;
    BoardArray& backup_;
    RandomGenerator& gen_;
    AnimationHost* host_;
    int interval_ = DefaultInterval;
    int tag_ = 0;
    bool running_ = false;
};

} // namespace tolv
