pt 1 1 red 0
endheader