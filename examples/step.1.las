# step 1 of a converging placement: the cell moves toward its target (series member 1)
property rect step string 1
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 22 -40 32 -30 blue cell moving // step 1
path 2 27 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 1 of 6 (step 4 was not written)
