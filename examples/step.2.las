# step 2 of a converging placement: the cell moves toward its target (series member 2)
property rect step string 2
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 34 -40 44 -30 blue cell moving // step 2
path 2 39 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 2 of 6 (step 4 was not written)
