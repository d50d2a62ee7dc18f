{
 "Class": "fxFuzzProbe",
 "Properties": {
  "Start": 30,
  "End": 600,
  "Speed": "Infinity",
  "Color.b": null,
  "Pos4.w": -1e+300
 }
}