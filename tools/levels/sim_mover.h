#pragma once
// The game's own player, stepped through the headless level simulation, as a
// mover for the route search. The level is loaded without monsters and with a
// clock that cannot run out, so that only the map decides where the player
// can go; each Step is one whole logic step of the real in-level loop.
#include <memory>

#include "game/level_sim.h"
#include "route_search.h"

namespace levels {

class TSimMover : public TMover {
public:
    explicit TSimMover(TLevelSim& sim) : sim_(sim) {}
    TMoverState Save() const override {
        TPlayerState p = sim_.SavePlayer();
        TMoverState s;
        s.x = p.x, s.y = p.y, s.prevX = p.prevX, s.prevY = p.prevY, s.vx = p.vx, s.vy = p.vy;
        s.jumping = p.jumping;
        s.scrollX = p.scrollX, s.scrollY = p.scrollY, s.facing = p.facing, s.walking = p.walking;
        return s;
    }
    void Restore(const TMoverState& s) override {
        TPlayerState p;
        p.x = s.x, p.y = s.y, p.prevX = s.prevX, p.prevY = s.prevY, p.vx = s.vx, p.vy = s.vy;
        p.jumping = s.jumping;
        p.scrollX = s.scrollX, p.scrollY = s.scrollY, p.facing = s.facing, p.walking = s.walking;
        sim_.RestorePlayer(p);
    }
    TStepProbe Step(unsigned keys) override {
        size_t before = sim_.CellEdits().size();
        unsigned simKeys = ((keys & kKeyLeft) ? kSimLeft : 0u) | ((keys & kKeyRight) ? kSimRight : 0u) |
                           ((keys & kKeyUp) ? kSimUp : 0u);
        int state = sim_.Step(simKeys);
        TStepProbe probe;
        probe.onExit = state == 4;
        if (sim_.CellEdits().size() > before) {
            probe.giftColumn = sim_.CellEdits().back().column;
            probe.giftRow = sim_.CellEdits().back().row;
        }
        return probe;
    }

private:
    TLevelSim& sim_;
};

}  // namespace levels
