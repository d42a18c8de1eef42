# step 5 of a converging placement: the cell moves toward its target (series member 5)
property rect step string 5
endheader
rect 60 -40 70 -30 silver cell target !! rect:cell==moving // the target position
rect 70 -40 80 -30 blue cell moving // step 5
path 2 75 -35 65 -35 red net pull // remaining distance
pt 5 -5 black 4 // step 5 of 6 (step 4 was not written)
# the row below: cells 0 to 5 are on their sites
rect 0 -70 8 -60 navy cell c0 // cell 0
rect 10 -70 18 -60 navy cell c1 // cell 1
rect 20 -70 28 -60 navy cell c2 // cell 2
rect 30 -70 38 -60 navy cell c3 // cell 3
rect 40 -70 48 -60 navy cell c4 // cell 4
rect 50 -70 58 -60 navy cell c5 // cell 5
rect 40 -70 48 -60 olive cell c6 // cell 6
rect 44 -70 52 -60 olive cell c7 // cell 7
line 4 -60 14 -52 gray net n0
line 14 -60 24 -52 gray net n1
line 24 -60 34 -52 gray net n2
line 34 -60 44 -52 gray net n3
line 44 -60 54 -52 gray net n4
line 54 -60 44 -52 gray net n5
line 44 -60 48 -52 gray net n6
circle 48 -80 2 purple pin last // the row's output pin
