# step 3 of a converging placement: the cell moves toward its target (series member 3)
property rect step string 3
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 46 -40 56 -30 blue cell moving // step 3
path 2 51 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 3 of 6 (step 4 was not written)
