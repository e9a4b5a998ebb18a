// The event actions that act on the player profiles and honour rolls: new,
// renamed and deleted players, the first player, scores and the game mode.
#pragma once

class ObjectEvent;

void RunProfileAction(ObjectEvent& event);
