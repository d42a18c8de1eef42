# step 6 of a converging placement: the cell moves toward its target (series member 6)
property rect step string 6
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 82 -40 92 -30 blue cell moving // step 6
path 2 87 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 6 of 6 (step 4 was not written)
