Sub Main
  GoTo nowhere
End Sub
' expect error: line 2: label nowhere is not defined in Main
