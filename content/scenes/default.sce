// Kinetrope Scene Description  - the castle courtyard, written by kinetrope-content \
//
// The default game: the player, three blind guards and the dark knight in the castle
// courtyard. Clips are read from data/motions/ at 120 frames per second; positions are the
// pelvis, about 43 units above the feet of a standing fighter.

// ---- motion clips. Body weights: 1 legs and trunk for the clips that drive the whole
// figure, 2 arms and head for the clips laid over them.
* MotionData
MotionName: Idle
AMCFiles: idle.amc
BodyWeights: 1
FrameRate: 120
End

* MotionData
MotionName: Walk
AMCFiles: walk.amc
BodyWeights: 1
FrameRate: 120
End

* MotionData
MotionName: Run
AMCFiles: run.amc
BodyWeights: 1
FrameRate: 120
End

* MotionData
MotionName: Attack
AMCFiles: attack.amc
BodyWeights: 2
FrameRate: 120
End

* MotionData
MotionName: Defensive
AMCFiles: defensive.amc
BodyWeights: 2
FrameRate: 120
End

// ---- motion graphs. All graphs of one clip share its cache file, so they share the
// similarity measure, threshold and blend time too; only the walker differs
// (1 jumps at the clip's cutoff, 2 at random moments).
* TransitionGraph
Motion: Idle
ID: 1
GraphType: 1
EvalType: 3
EvalThresh: 0.99
TransitionTime: 0.15
End

* TransitionGraph
Motion: Walk
ID: 2
GraphType: 1
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

* TransitionGraph
Motion: Run
ID: 3
GraphType: 1
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

* TransitionGraph
Motion: Attack
ID: 4
GraphType: 1
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

* TransitionGraph
Motion: Defensive
ID: 5
GraphType: 1
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

// the guards wander: their walk jumps at random
* TransitionGraph
Motion: Walk
ID: 6
GraphType: 2
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

// the dark knight fights on: his attack clip jumps at random
* TransitionGraph
Motion: Attack
ID: 7
GraphType: 2
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

// the hunting guard's walk steers toward the player
* TransitionGraph
Motion: Walk
ID: 8
GraphType: 5
EvalType: 3
EvalThresh: 0.97
TransitionTime: 0.15
End

// ---- motion sets: attack, defensive, idle, move (walk), extra (run)
* MotionDataSet
ID: 1
AttackMotion: Attack
AttackGraphID: 4
DefensiveMotion: Defensive
DefensiveGraphID: 5
IdleMotion: Idle
IdleGraphID: 1
MoveMotion: Walk
MoveGraphID: 2
ExtraMotion: Run
ExtraGraphID: 3
End

* MotionDataSet
ID: 2
AttackMotion: Attack
AttackGraphID: 4
DefensiveMotion: Defensive
DefensiveGraphID: 5
IdleMotion: Idle
IdleGraphID: 1
MoveMotion: Walk
MoveGraphID: 6
ExtraMotion: Run
ExtraGraphID: 3
End

* MotionDataSet
ID: 4
AttackMotion: Attack
AttackGraphID: 4
DefensiveMotion: Defensive
DefensiveGraphID: 5
IdleMotion: Idle
IdleGraphID: 1
MoveMotion: Walk
MoveGraphID: 8
ExtraMotion: Run
ExtraGraphID: 3
End

* MotionDataSet
ID: 3
AttackMotion: Attack
AttackGraphID: 7
DefensiveMotion: Defensive
DefensiveGraphID: 5
IdleMotion: Idle
IdleGraphID: 1
MoveMotion: Walk
MoveGraphID: 2
ExtraMotion: Run
ExtraGraphID: 3
End

// ---- the level: walls, floors, towers, steps, gate and statue are solid (texture numbers
// as bspdata.txt lists them; the paving, number 0, always is); the water is not.
* Level
SkyBox: data/levels/castle_sky_%s.jpg
MapFile: data/levels/castle.bsp
Model: data/models/knight.3ds
Brush: 1
Brush: 2
Brush: 3
Brush: 4
Brush: 6
Brush: 7
End

// the fountain's water drifts slowly
* Shader
Texture: 5
Scroll: 0.03 0.05
End

// ---- fighters. Kinds: 0 the player, 1 the dark knight, 2 a blind guard, 3 a guard who
// hunts the player down.
* Character
CharacterName: player1
Position: 0 45 650
GameplayController: 0
DatasetID: 1
HitPoints: 30
End

* Character
CharacterName: guard
Position: -320 45 -150
GameplayController: 2
DatasetID: 2
HitPoints: 6
End

* Character
CharacterName: guard
Position: 330 45 -420
GameplayController: 2
DatasetID: 2
HitPoints: 6
End

* Character
CharacterName: guard
Position: -180 45 -760
GameplayController: 3
DatasetID: 4
HitPoints: 6
End

// the dark knight reappears anywhere in the middle of the courtyard; he wears the
// armoured parts model (model 0, the level's first)
* Character
CharacterName: boss
Model: 0
Position: 0 45 -600
GameplayController: 1
DatasetID: 3
HitPoints: 15
ZoneRect: -360 -800 360 150
End

// ---- places the opening fly-over looks at, and the first view
* Entity
Name: statue
Position: 0 188 -900
End

* Entity
Name: fountain
Position: 0 96 300
End

* Entity
Name: camera
Position: 0 200 860
Rotation: -0.0698 0 0 0.9976
End
