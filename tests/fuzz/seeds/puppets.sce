// Kinetrope Scene Description  - fuzz seed \
* MotionData
MotionName: Tiny
AMCFiles: tiny.amc
BodyWeights: 2
End

* TransitionGraph
Motion: tiny
ID: 3
GraphType: 2
EvalType: 2
EvalThresh: 0.9
End

* Character
CharacterName: puppet
Position: 1 2 3
DefaultRootMotion: Tiny 0
DefaultBlendMotion: Tiny 1
BlendGraphID: 3
Enabled: 0
Model: 0
ZoneRect: 0 0 10 0
End

* Level
MapFile: level.bsp
Model: data/models/none.3ds
Brush: 1
End

* Shader
Texture: 1
Blend: 3
Scroll: 0.1 0.2
Animate: 2 1 3 water%d.jpg
End

* Entity
Name: camera
Position: 0 1 2
End

* Entity
Name: marker
Position: 0 1 2
Rotation: 0 0 0 1
End
