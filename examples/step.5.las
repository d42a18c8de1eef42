# step 5 of a converging placement: the cell moves toward its target (series member 5)
property rect step string 5
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 70 -40 80 -30 blue cell moving // step 5
path 2 75 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 5 of 6 (step 4 was not written)
